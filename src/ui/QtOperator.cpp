#include "ui/QtOperator.h"

#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace dilato::ui {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
};

std::vector<ButtonChoice> Buttons(MessageButtons buttons) {
    using B = QMessageBox;
    using A = MessageAnswer;
    switch (buttons) {
    case MessageButtons::Ok:
        return {{B::Ok, A::Ok}};
    case MessageButtons::OkCancel:
        return {{B::Ok, A::Ok}, {B::Cancel, A::Cancel}};
    case MessageButtons::YesNo:
        return {{B::Yes, A::Yes}, {B::No, A::No}};
    case MessageButtons::YesNoCancel:
        return {{B::Yes, A::Yes}, {B::No, A::No}, {B::Cancel, A::Cancel}};
    case MessageButtons::RetryCancel:
        return {{B::Retry, A::Retry}, {B::Cancel, A::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{B::Abort, A::Abort}, {B::Retry, A::Retry}, {B::Ignore, A::Ignore}};
    }
    return {{B::Ok, A::Ok}};
}

} // namespace

MessageAnswer QtOperator::show(const Message& message) {
    const auto choices = Buttons(message.buttons);
    const size_t preferred = static_cast<size_t>(std::max(0, message.defaultButton));
    const ButtonChoice& byDefault = choices.at(std::min(preferred, choices.size() - 1));
    if (ApplicationEnding()) return byDefault.answer;
    QMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.title),
                    QString::fromStdString(message.text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    for (size_t i = 0; i < choices.size(); ++i) {
        QPushButton* button = box.addButton(choices[i].button);
        if (i < message.captions.size())
            button->setText(QString::fromStdString(message.captions[i]));
    }
    box.setDefaultButton(byDefault.button);
    // A box sizes itself to its text; a strut keeps it wide enough for its whole title.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleRoom(box.windowTitle()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    // The pointer is normal while the operator reads, whatever the logic had set.
    const bool wasBusy = busy_;
    if (wasBusy) QApplication::restoreOverrideCursor();
    if (beforeShow_) beforeShow_();
    box.exec();
    if (wasBusy) QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& c : choices)
        if (c.button == clicked) return c.answer;
    // Closed with Escape or the close box: the answer of the last (cancelling) button.
    return choices.back().answer;
}

void QtOperator::notify(const Message& message) {
    if (ApplicationEnding()) return;
    auto* box = new QMessageBox(BoxIcon(message.icon), QString::fromStdString(message.title),
                                QString::fromStdString(message.text), QMessageBox::Ok,
                                QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    if (beforeShow_) beforeShow_();
    box->show();
}

void QtOperator::setBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtOperator::playSound(const std::string& path) {
    if (player_) player_(path);
}

} // namespace dilato::ui
