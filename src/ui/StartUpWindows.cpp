#include "ui/StartUpWindows.h"

#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dilato::ui {

PasswordWindow::PasswordWindow(PasswordModel& form, HelpViewer& help, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("frmEnterPassword"));
    setWindowTitle(QStringLiteral("Operation Mode Selection"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("txtBoxPassword"));
    password_->setEchoMode(QLineEdit::Password);
    auto* full = MakeButton(QStringLiteral("Full Operation"),
                            QStringLiteral("SonicClickFullOperationBtn"), this);
    auto* limited = MakeButton(QStringLiteral("Limited Operation"),
                               QStringLiteral("SonicClickLimitedOperationBtn"), this);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickHelpBtn"), this);
    full->setDefault(true);

    connect(password_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string kept = form_.Edited(text.toStdString());
        if (kept != text.toStdString()) password_->setText(QString::fromStdString(kept));
    });
    connect(full, &QPushButton::clicked, this, [this] {
        fullOperation_ = form_.FullOperation(password_->text().toStdString());
        accept();
    });
    connect(limited, &QPushButton::clicked, this, [this] {
        fullOperation_ = PasswordModel::LimitedOperation();
        accept();
    });
    connect(helpButton, &QPushButton::clicked, this, [&help] { help.showTopic(help::Password); });

    auto* entry = new QHBoxLayout;
    entry->addWidget(new QLabel(QStringLiteral("Enter Password:"), this));
    entry->addWidget(password_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(full);
    buttons->addWidget(limited);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("(Password required for Full Operation)"), this), 0,
                      Qt::AlignHCenter);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PasswordWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    password_->setFocus();
}

WarningsWindow::WarningsWindow(WarningsModel& form, HelpViewer& help, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("frmSystemWarnings"));
    setWindowTitle(QStringLiteral("CTE Tester Operational Warnings"));
    heading_ = new QLabel(QStringLiteral("Operational Warnings"), this);
    heading_->setObjectName(QStringLiteral("Label9"));
    QFont big = heading_->font();
    big.setPointSize(big.pointSize() + 5);
    big.setBold(true);
    heading_->setFont(big);
    heading_->setStyleSheet(QStringLiteral("color: #c00000;"));
    // The blinking heading keeps its room while hidden, so nothing below it jumps.
    QSizePolicy keep = heading_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    heading_->setSizePolicy(keep);

    auto* list = new QGridLayout;
    for (size_t i = 0; i < checks_.size(); ++i) {
        checks_[i] = new QCheckBox(this);
        checks_[i]->setObjectName(QStringLiteral("Check%1").arg(i + 1));
        auto* statement = new QLabel(QString::fromUtf8(kOperationalWarnings[i]), this);
        statement->setWordWrap(true);
        statement->setBuddy(checks_[i]);
        list->addWidget(checks_[i], static_cast<int>(i), 0, Qt::AlignTop);
        list->addWidget(statement, static_cast<int>(i), 1);
    }
    list->setColumnStretch(1, 1);
    auto* caution = new QLabel(
        QStringLiteral("CAUTION: Do not test samples that are near their melting point."), this);
    caution->setStyleSheet(QStringLiteral("font-weight: bold;"));
    auto* note = new QLabel(
        QStringLiteral("NOTE: Read Section 2.0 of the CTE Tester manual for complete details."),
        this);
    dontShowAgain_ = new QCheckBox(QStringLiteral("Don't show this warning again!"), this);
    dontShowAgain_->setObjectName(QStringLiteral("CheckDontShowAgain"));
    auto* proceed =
        MakeButton(QStringLiteral("Continue"), QStringLiteral("SonicClickContinueBtn"), this);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickHelpBtn"), this);

    connect(proceed, &QPushButton::clicked, this, [this] {
        std::array<bool, kWarningCount> ticked{};
        for (size_t i = 0; i < ticked.size(); ++i)
            ticked[i] = checks_[i]->isChecked();
        if (form_.Continue(ticked, dontShowAgain_->isChecked())) {
            closedBy_ = DialogClose::Button;
            accept();
        }
    });
    connect(helpButton, &QPushButton::clicked, this, [&help] { help.showTopic(help::Warnings); });
    blink_ = new QTimer(this);
    connect(blink_, &QTimer::timeout, this,
            [this] { heading_->setVisible(!heading_->isVisible()); });
    blink_->start(kWarningBlinkMs);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dontShowAgain_);
    buttons->addStretch();
    buttons->addWidget(proceed);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_, 0, Qt::AlignHCenter);
    layout->addLayout(list);
    layout->addSpacing(6);
    layout->addWidget(caution);
    layout->addWidget(note);
    layout->addLayout(buttons);
    setMinimumWidth(620);
}

void WarningsWindow::closeEvent(QCloseEvent* event) {
    blink_->stop();
    QDialog::closeEvent(event);
}

} // namespace dilato::ui
