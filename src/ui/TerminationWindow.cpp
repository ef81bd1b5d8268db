#include "ui/TerminationWindow.h"

#include "platform/Operator.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dilato::ui {

TerminationWindow::TerminationWindow(Operator& op, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::CustomizeWindowHint),
      op_(op) {
    setObjectName(QStringLiteral("frmTerminateTest"));
    setWindowTitle(QStringLiteral("Termination Request"));
    setWindowModality(Qt::ApplicationModal);
    query_ = new QLabel(this);
    query_->setObjectName(QStringLiteral("LabelQuery"));
    QFont big = query_->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    query_->setFont(big);
    for (size_t i = 0; i < notes_.size(); ++i) {
        notes_[i] = new QLabel(this);
        notes_[i]->setObjectName(QStringLiteral("lblSaveOrNot%1").arg(i));
    }
    yes_ = MakeButton(QStringLiteral("Yes"), QStringLiteral("SonicClickYesBtn"), this);
    no_ = MakeButton(QStringLiteral("No"), QStringLiteral("SonicClickNoBtn"), this);
    yes_->setAutoDefault(false);
    no_->setDefault(true);
    for (QPushButton* b : {yes_, no_})
        b->setMinimumWidth(100);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes_);
    buttons->addWidget(no_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(query_, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    layout->addWidget(notes_[0], 0, Qt::AlignHCenter);
    layout->addWidget(notes_[1], 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(yes_, &QPushButton::clicked, this, [this] { Answer(true); });
    connect(no_, &QPushButton::clicked, this, [this] { Answer(false); });
}

void TerminationWindow::open(const TerminationQuestion& q) {
    setWindowTitle(QString::fromStdString(q.caption));
    // The window is as wide as its content: wide enough for its whole title as well.
    const QMargins m = layout()->contentsMargins();
    query_->setMinimumWidth(TitleRoom(windowTitle()) - m.left() - m.right());
    query_->setText(QString::fromStdString(q.question));
    notes_[0]->setText(QString::fromStdString(q.note1));
    notes_[1]->setText(QString::fromStdString(q.note2));
    notes_[1]->setVisible(!q.note2.empty());
    show();
    raise();
    activateWindow();
    no_->setFocus();
    op_.setBusyPointer(true);
}

void TerminationWindow::close() {
    hide();
}

void TerminationWindow::Answer(bool yes) {
    if (!QDialog::isVisible()) return; // a second click of the same answer
    hide();
    op_.setBusyPointer(false);
    Guarded([&] {
        if (onAnswer_) onAnswer_(yes);
    });
}

void TerminationWindow::closeEvent(QCloseEvent* event) {
    // The question is answered with its buttons only.
    event->ignore();
}

void TerminationWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return; // Escape would close it without an answer
    QDialog::keyPressEvent(event);
}

} // namespace dilato::ui
