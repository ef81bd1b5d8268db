#include "ui/update/ReminderDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace dilato {

using namespace reminder;

ReminderDialog::ReminderDialog(ReminderModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(kCaption);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
    auto* text = new QLabel(kText, this);
    text->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);

    remind_ = new QCheckBox(kRemindAgain, this);
    yes_ = new QPushButton(kYes, this);
    close_ = new QPushButton(kClose, this);
    yes_->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(remind_);
    bottom->addStretch();
    bottom->addWidget(yes_);
    bottom->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    resize(440, 150);

    // The box follows the property: a click flips the property, the box shows it.
    connect(remind_, &QCheckBox::clicked, this, [this] {
        model_.clickRemindAgain();
        refresh();
    });
    connect(yes_, &QPushButton::clicked, this, [this] {
        model_.pressYes();
        accept();
    });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    refresh();
}

void ReminderDialog::refresh() {
    remind_->setChecked(model_.remindTicked());
}

void ReminderDialog::reject() {
    model_.pressClose();
    QDialog::reject();
}

} // namespace dilato
