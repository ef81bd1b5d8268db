#include "support/RecordingOperator.h"

#include <stdexcept>

namespace dilato::test {

namespace {

MessageAnswer DefaultAnswer(const Message& m) {
    static constexpr MessageAnswer kFirst[] = {MessageAnswer::Ok,    MessageAnswer::Ok,
                                               MessageAnswer::Yes,   MessageAnswer::Yes,
                                               MessageAnswer::Retry, MessageAnswer::Abort};
    static constexpr MessageAnswer kSecond[] = {MessageAnswer::Ok,     MessageAnswer::Cancel,
                                                MessageAnswer::No,     MessageAnswer::No,
                                                MessageAnswer::Cancel, MessageAnswer::Retry};
    static constexpr MessageAnswer kThird[] = {MessageAnswer::Ok,     MessageAnswer::Cancel,
                                               MessageAnswer::No,     MessageAnswer::Cancel,
                                               MessageAnswer::Cancel, MessageAnswer::Ignore};
    const auto b = static_cast<size_t>(m.buttons);
    return m.defaultButton == 1 ? kSecond[b] : m.defaultButton == 2 ? kThird[b] : kFirst[b];
}

} // namespace

void RecordingOperator::notify(const Message& message) {
    notices.push_back(message);
    (void)show(message);
}

MessageAnswer RecordingOperator::show(const Message& message) {
    messages.push_back(message);
    if (message.buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers_.empty()) return DefaultAnswer(message);
    const MessageAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

void RecordingOperator::setBusyPointer(bool busy) {
    if (busy != busy_) ++pointerChanges;
    busy_ = busy;
}

const Message& RecordingOperator::last() const {
    if (messages.empty()) throw std::logic_error("no message was shown");
    return messages.back();
}

bool RecordingOperator::sawText(const std::string& text) const {
    for (const auto& m : messages)
        if (m.text == text) return true;
    return false;
}

std::vector<std::string> RecordingOperator::texts() const {
    std::vector<std::string> all;
    for (const auto& m : messages)
        all.push_back(m.text);
    return all;
}

} // namespace dilato::test
