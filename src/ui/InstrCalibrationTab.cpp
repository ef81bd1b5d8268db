#include "ui/InstrCalibrationTab.h"

#include "ui/ReferenceChartWindow.h"

#include "core/CalibrationSession.h"
#include "core/Program.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void ShowButton(QPushButton& b, bool enabled, const std::string& caption = {}) {
    if (b.isEnabled() != enabled) b.setEnabled(enabled);
    if (!caption.empty() && b.text() != Q(caption)) b.setText(Q(caption));
}

} // namespace

InstrCalibrationTab::InstrCalibrationTab(TabContext context, QWidget* parent)
    : MainTab(context, parent), qtDialogs_(context.help, this), dialogs_(qtDialogs_),
      session_(std::make_unique<CalibrationSession>(
          context.program, dialogs_, [](const std::string& folder) {
              QDesktopServices::openUrl(QUrl::fromLocalFile(Q(folder)));
          })) {
    auto* frame = new QGroupBox(QStringLiteral("Calibration Data"), this);
    auto* grid = new QGridLayout(frame);
    const char* captions[] = {"Thermistor Temperature:", "Thermocouple Temperature:"};
    for (size_t i = 0; i < data_.size(); ++i) {
        data_[i] = new QLineEdit(frame);
        data_[i]->setObjectName(QStringLiteral("txtBoxCalData%1").arg(i));
        data_[i]->setReadOnly(true);
        data_[i]->setFocusPolicy(Qt::NoFocus);
        data_[i]->setAlignment(Qt::AlignRight);
        data_[i]->setMaximumWidth(120);
        grid->addWidget(new QLabel(QString::fromLatin1(captions[i]), frame), int(i), 0);
        grid->addWidget(data_[i], int(i), 1);
        grid->addWidget(new QLabel(QStringLiteral("\u00B0C"), frame), int(i), 2);
    }
    grid->setColumnStretch(3, 1);

    message_ = new QPlainTextEdit(this);
    message_->setObjectName(QStringLiteral("txtMsg"));
    message_->setReadOnly(true);
    message_->setMinimumHeight(150);
    inProgress_ = new QLabel(QStringLiteral("Calibration in Progress"), this);
    inProgress_->setObjectName(QStringLiteral("CalibMess"));
    inProgress_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    status_ = new QLabel(QStringLiteral("Test Status"), this);
    status_->setObjectName(QStringLiteral("TestStatus1"));
    hobbs_ = new QLabel(QStringLiteral("Hobbs"), this);
    hobbs_->setObjectName(QStringLiteral("HobbsMeter"));
    hobbs_->setFrameShape(QFrame::StyledPanel);
    hobbs_->setMinimumWidth(70);
    hobbs_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    cal_ = MakeButton(QStringLiteral("CAL"), QStringLiteral("SonicClickCalBtn"), this);
    howTo_ = MakeButton(QStringLiteral("How To..."), QStringLiteral("SonicClickHowToBtn"), this);
    stop_ = MakeButton(QStringLiteral("Stop"), QStringLiteral("SonicClickStopCalibBtn"), this);
    browse_ = MakeButton(QStringLiteral("Browse"), QStringLiteral("SonicClickBrowseBtn"), this);
    tcTest_ = MakeButton(QStringLiteral("TC Cal Test"), QStringLiteral("SonicClickTCCalTestBtn"), this);
    help_ = MakeHelpButton(QStringLiteral("SonicClickCalibTabHelpBtn"), this);
    chart_ = MakeButton(QStringLiteral("Reference Chart"), QStringLiteral("ReferenceChartBtn"), this);
    for (QPushButton* b : {cal_, howTo_, stop_, browse_, tcTest_})
        b->setMinimumWidth(110);

    auto* top = new QHBoxLayout;
    top->addWidget(frame, 1);
    auto* meter = new QVBoxLayout;
    meter->addWidget(new QLabel(QStringLiteral("Instrument Hours:"), this));
    meter->addWidget(hobbs_);
    meter->addStretch();
    top->addLayout(meter);

    auto* notes = new QHBoxLayout;
    notes->addWidget(status_);
    notes->addStretch();
    notes->addWidget(inProgress_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cal_);
    buttons->addWidget(howTo_);
    buttons->addWidget(stop_);
    buttons->addStretch();
    buttons->addWidget(browse_);
    buttons->addWidget(tcTest_);
    buttons->addWidget(chart_);
    buttons->addWidget(help_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(message_, 1);
    layout->addLayout(notes);
    layout->addLayout(buttons);
    Connect();
    refresh();
}

InstrCalibrationTab::~InstrCalibrationTab() = default;

void InstrCalibrationTab::Connect() {
    CalibrationTabModel& tab = session_->tab;
    const auto act = [this](auto&& f) {
        return [this, f] {
            Guarded(f);
            refresh();
        };
    };
    connect(cal_, &QPushButton::clicked, this, act([&tab] { tab.Cal(); }));
    connect(chart_, &QPushButton::clicked, this, [this] {
        ReferenceChartWindow window(this);
        Guarded([&] { window.show(program().session.reference.Chart()); });
        window.resize(900, 560);
        window.exec();
    });
    connect(howTo_, &QPushButton::clicked, this, act([&tab] { tab.HowTo(); }));
    connect(stop_, &QPushButton::clicked, this, act([&tab] { tab.Stop(); }));
    connect(browse_, &QPushButton::clicked, this, act([&tab] { tab.Browse(); }));
    connect(tcTest_, &QPushButton::clicked, this, act([&tab] { tab.CalibratorTest(); }));
    connect(help_, &QPushButton::clicked, this, [this] { help().showTopic(help::CalibrationTab); });
}

void InstrCalibrationTab::enterTab() {
    session_->tab.EnterInstCalib();
    refresh();
}

bool InstrCalibrationTab::leaveTab(Tab) {
    return session_->tab.LeaveInstCalib();
}

void InstrCalibrationTab::refresh() {
    const CalibrationView& v = session_->view;
    for (size_t i = 0; i < data_.size(); ++i)
        if (data_[i]->text() != Q(v.readingTexts[i])) data_[i]->setText(Q(v.readingTexts[i]));
    const QString message = Q(v.messageText).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (message_->toPlainText() != message) message_->setPlainText(message);
    inProgress_->setVisible(v.calibMessVisible);
    const QString status = Q(program().session.window.view().statusText[1]);
    if (status_->text() != status) status_->setText(status);
    if (hobbs_->text() != Q(v.hobbsMeter)) hobbs_->setText(Q(v.hobbsMeter));
    ShowButton(*cal_, v.cal.enabled, v.cal.caption);
    ShowButton(*howTo_, v.howToEnabled);
    ShowButton(*stop_, v.stopEnabled);
    ShowButton(*browse_, v.browseEnabled);
    ShowButton(*tcTest_, v.tcTestEnabled);
    ShowButton(*help_, v.helpEnabled);
}

} // namespace dilato::ui
