#include "ConsoleAdapters.h"

#include "platform/TextFile.h"
#include "storage/ExistingTest.h"
#include "storage/SystemParameterFile.h"

#include <ostream>

namespace dilato::run {

namespace {

const char* AnswerName(MessageAnswer a) {
    switch (a) {
    case MessageAnswer::Ok:
        return "OK";
    case MessageAnswer::Cancel:
        return "Cancel";
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    case MessageAnswer::Retry:
        return "Retry";
    case MessageAnswer::Abort:
        return "Abort";
    case MessageAnswer::Ignore:
        return "Ignore";
    }
    return "?";
}

// The answer of the button at `index` of a button set.
MessageAnswer Button(MessageButtons buttons, int index) {
    using A = MessageAnswer;
    switch (buttons) {
    case MessageButtons::Ok:
        return A::Ok;
    case MessageButtons::OkCancel:
        return index == 0 ? A::Ok : A::Cancel;
    case MessageButtons::YesNo:
        return index == 0 ? A::Yes : A::No;
    case MessageButtons::YesNoCancel:
        return index == 0 ? A::Yes : index == 1 ? A::No : A::Cancel;
    case MessageButtons::RetryCancel:
        return index == 0 ? A::Retry : A::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return index == 0 ? A::Abort : index == 1 ? A::Retry : A::Ignore;
    }
    return A::Ok;
}

} // namespace

MessageAnswer ConsoleOperator::show(const Message& m) {
    ++shown_;
    MessageAnswer answer = Button(m.buttons, m.defaultButton);
    const auto yesWhen = [](bool yes) { return yes ? MessageAnswer::Yes : MessageAnswer::No; };
    if (m.title == "Sample Length Out-of-Range") answer = yesWhen(answers_.yesToLength);
    if (m.title == kExistingTestTitle) answer = yesWhen(answers_.overwrite);
    // Running on a backup is the operator's decision, never a default.
    if (m.title == kInvalidSysParamTitle && m.buttons != MessageButtons::Ok)
        answer = yesWhen(answers_.useBackup);
    out_ << "[" << m.title << "] " << OneLineText(m.text);
    if (m.buttons != MessageButtons::Ok) out_ << " -> " << AnswerName(answer);
    out_ << std::endl;
    return answer;
}

void ConsoleTermination::open(const TerminationQuestion& q) {
    visible_ = true;
    out_ << "[" << q.caption << "] " << q.question << " " << q.note1 << " " << q.note2 << " -> Yes"
         << std::endl;
    if (answer_) clock_.stopTimer(*answer_);
    answer_ = clock_.startTimer(0.5, [this] {
        clock_.stopTimer(*answer_);
        answer_.reset();
        if (visible_ && yes_) yes_();
    });
}

void ConsoleComDialog::ShowSystemComError() {
    const QDateTime now = clock_.now();
    const bool inARow =
        lastFailure_.isValid() && lastFailure_.msecsTo(now) <= kLinkCheckSpan * 1000.0;
    failedInARow_ = inARow ? failedInARow_ + 1 : 1;
    lastFailure_ = now;
    out_ << "[COM Port Configuration] the instruments' COM ports need setting: give them with "
            "--port COMn=DEVICE and the settings file's Keyence_Comport and TE_Comport"
         << std::endl;
}

} // namespace dilato::run
