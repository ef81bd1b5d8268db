#include "ui/update/InstallDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dilato {

using namespace install;

InstallDialog::InstallDialog(InstallModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(kCaption);
    setModal(true);

    auto* text = new QLabel(kText, this);
    text->setWordWrap(true);
    banner_ = new QLabel(this);
    banner_->setWordWrap(true);
    QFont bold = banner_->font();
    bold.setBold(true);
    banner_->setFont(bold);
    banner_->setStyleSheet("color: #a00000;");

    yes_ = new QPushButton(kYes, this);
    close_ = new QPushButton(kClose, this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(banner_);
    layout->addLayout(buttons);
    resize(460, 170);

    connect(yes_, &QPushButton::clicked, this, [this] {
        model_.pressYes();
        refresh();
        QTimer::singleShot(0, this, [this] { install(); });
    });
    connect(close_, &QPushButton::clicked, this, [this] {
        model_.pressClose();
        QDialog::reject();
    });
    refresh();
}

void InstallDialog::refresh() {
    banner_->setText(QString::fromStdString(model_.banner));
    banner_->setVisible(!model_.banner.empty());
    yes_->setEnabled(model_.yesEnabled);
    close_->setEnabled(model_.closeEnabled);
}

void InstallDialog::install() {
    if (!model_.install()) {
        QDialog::reject();
        return;
    }
    QTimer::singleShot(kHandOverDelayMs, this, [this] {
        model_.finishHandOver();
        hide();
        QDialog::accept();
    });
}

// The window's own close leaves the downloads for the next start's clean-up; while the
// hand-over runs it does nothing.
void InstallDialog::reject() {
    if (!model_.closeEnabled) return;
    QDialog::reject();
}

} // namespace dilato
