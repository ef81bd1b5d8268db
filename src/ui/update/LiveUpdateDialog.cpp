#include "ui/update/LiveUpdateDialog.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace dilato {

using namespace liveupdate;

namespace {

QLineEdit* VersionField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignCenter);
    field->setMaximumWidth(120);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

} // namespace

LiveUpdateDialog::LiveUpdateDialog(LiveUpdateModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(kCaption);
    setModal(true);

    auto* heading = new QLabel(kHeading, this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);

    current_ = VersionField(this);
    update_ = VersionField(this);
    auto* versions = new QFormLayout;
    versions->addRow(kCurrentLabel, current_);
    versions->addRow(kUpdateLabel, update_);

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message_->setFrameShape(QFrame::StyledPanel);
    message_->setMinimumHeight(70);
    message_->setMargin(8);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    mode_ = new QPushButton(this);
    cancel_ = new QPushButton(kCancel, this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mode_);
    buttons->addWidget(cancel_);

    auto* statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    statusPanel_ = new QLabel(statusBar);
    timePanel_ = new QLabel(statusBar);
    // Each status panel takes half the window's width by equal stretch; neither asks for the
    // width of its text, so no refresh can widen the window.
    for (QLabel* panel : {statusPanel_, timePanel_}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar->addWidget(panel, 1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(versions);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    layout->addWidget(statusBar);
    resize(460, 280);

    connect(mode_, &QPushButton::clicked, this, [this] {
        model_.pressMode();
        refresh();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    statusTimer_.setInterval(1000);
    connect(&statusTimer_, &QTimer::timeout, this, [this] {
        model_.statusTimerTick();
        refresh();
    });
    downloadTimer_.setInterval(1000);
    connect(&downloadTimer_, &QTimer::timeout, this, [this] {
        model_.downloadTimerTick();
        refresh();
    });

    model_.changed = [this] { refresh(); };
    model_.load();
    statusTimer_.start();
    refresh();
}

LiveUpdateDialog::~LiveUpdateDialog() {
    model_.changed = nullptr;
}

void LiveUpdateDialog::refresh() {
    const LiveUpdateView& view = model_.view();
    current_->setText(QString::fromStdString(view.currentVersion));
    update_->setText(QString::fromStdString(view.updateVersion));
    message_->setText(QString::fromStdString(view.message));
    mode_->setText(QString::fromStdString(view.modeCaption));
    mode_->setEnabled(view.modeEnabled);
    cancel_->setEnabled(view.cancelEnabled);
    statusPanel_->setText(QString::fromStdString(view.statusPanel));
    timePanel_->setText(QString::fromStdString(view.timePanel));
    if (view.downloadTimerRunning && !downloadTimer_.isActive()) downloadTimer_.start();
    if (!view.downloadTimerRunning) downloadTimer_.stop();
    if (view.closed && isVisible()) QDialog::accept();
}

void LiveUpdateDialog::reject() {
    model_.pressCancel();
    refresh();
    QDialog::reject();
}

} // namespace dilato
