#include "ui/MainWindow.h"

#include "core/Program.h"
#include "core/ReferenceRuns.h"
#include "core/WindowTexts.h"
#include "platform/Files.h"
#include "ui/AboutBox.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/InstrCalibrationTab.h"
#include "ui/PlottingSetupTab.h"
#include "ui/PlottingTab.h"
#include "ui/ResultsTab.h"
#include "ui/SetupOptionsTab.h"
#include "ui/TestTab.h"
#include "ui/plot/PlotSink.h"
#include "ui/plot/PlotTabs.h"
#include "ui/results/ResultsTabs.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace dilato::ui {

namespace {
constexpr int kRefreshMs = 250;
constexpr std::array<int, 4> kPanelShares{35, 35, 15, 15};
constexpr int kDesignedWidth = 1040;
constexpr int kDesignedHeight = 660;
} // namespace

MainWindow::MainWindow(Program& program, HelpViewer& help, Operator& op, Clock& clock,
                       QWidget* parent)
    : QMainWindow(parent), program_(program), help_(help), tabStrip_(program.session, op, clock),
      testControl_(program.session, program.folders, program.params, op) {
    setObjectName(QStringLiteral("frmMain"));
    const TabContext context{program, help};
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    testTab_ = new TestTab(context, testControl_, tabs_);
    plots_ = std::make_unique<PlotTabs>(
        PlotTabServices{program.session.run, program.params, program.folders,
                        program.session.files, op},
        this);
    results_ = std::make_unique<ResultsTabs>(ResultsTabServices{
        [&program]() -> results::StoreConnection* {
            return program.resultsStore ? &program.resultsStore->local() : nullptr;
        },
        op, [&program] { return program.folders.SysFolder + "Exports/"; }, clock,
        WithTrailingSeparator(program.folders.AppFolder) + "Fonts"});
    pages_ = {testTab_, new InstrCalibrationTab(context, tabs_),
              new PlottingTab(context, *plots_, tabs_), new PlottingSetupTab(context, *plots_, tabs_),
              new SetupOptionsTab(context, tabs_), new ResultsTab(context, *results_, tabs_)};
    const char* captions[] = {"Test", "Instr. Calibration", "Plotting", "Plotting Setup",
                              "Setup Options", "Results"};
    for (size_t i = 0; i < pages_.size(); ++i)
        tabs_->addTab(pages_[i], QString::fromLatin1(captions[i]));
    for (const Tab t : kTabs) {
        if (t == Tab::Test) continue; // the Test tab's steps are the strip's own
        MainTab* page = pages_.at(static_cast<size_t>(TabIndex(t)));
        tabStrip_.setSteps(
            t, TabSteps{[page, t] { return page->leaveTab(t); }, [page] { page->enterTab(); }});
    }
    tabStrip_.setAfterEnterTest([this] { testControl_.RefreshFiles(); });
    // A stored test's plot: its raw data file on the Plotting tab.
    results_->model().setShowPlot([this](const std::string& raw) {
        plots_->model().SetFirstSelectedFile(raw);
        tabs_->setCurrentIndex(TabIndex(Tab::Plotting));
    });
    // Reference runs laid over each other get their material's certified curve: a shipped
    // one, or the lab's own from the system folder. A material class names no reference.
    results_->model().setReferenceCurves(
        [&program](const std::string& name, double from,
                   double to) -> std::optional<ReferenceCurve> {
            if (ParseMaterialClass(name)) return std::nullopt;
            std::string why;
            const auto material = FindReferenceMaterial(program.folders.SysFolder, name, why);
            if (!material) return std::nullopt;
            return CertifiedCurve(*material, from, to);
        });
    // A stored test is drawn with the system correction its results used: its record, read
    // again from this system folder's records of its instrument.
    results_->model().setTestCorrections(
        [&program, &clock](const results::CatalogTest& test) -> std::optional<ColumnCorrection> {
            return StoredTestCorrection(program.folders.SysFolder, test.instrumentSerial,
                                        test.systemCorrection, clock.now());
        });
    PlottingModel& plotting = plots_->model();
    plotting.setDrawFailed([this] { tabStrip_.EnterTest(); });
    plotting.setPlotFromTestTab([this] { return tabStrip_.PlotFromTestTab; });
    plotting.setTestTabFolder([this] { return program_.session.window.view().dataFolder; });
    // The live plot follows each stored reading; a new test's raw data file is the one plotted.
    program.session.window.setLivePlotRefresh([this] { plots_->EnterPlotting(); });
    plotSink_ = std::make_unique<PlotSink>(plots_->model());
    program.session.sinks.add(*plotSink_, SinkPlace::Plots);
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::TabChanged);
    setCentralWidget(tabs_);

    // F1 anywhere in the window opens the manual's main topic; the key goes no further.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { help_.showTopic(help::Main); });

    about_ = new AboutBox(this);
    testTab_->setOnAbout([this] {
        about_->show();
        about_->raise();
    });

    for (size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        panels_[i]->setMinimumWidth(60);
        statusBar()->addWidget(panels_[i], kPanelShares[i]);
    }
    statusBar()->setSizeGripEnabled(false);

    // Every tick's work shows at once, whatever the time scale.
    program.session.ticks.setPass([this, &cycle = program.session.cycle] {
        cycle.ProcessReadSet();
        refresh();
    });
    // Load: the idle look, then the first look of the Test tab.
    program.session.sequencer.StopTest(false);
    testControl_.InitMainWindow();
    plots_->model().ResetPlotFileLists();
    FitToScreen();
    refreshTimer_ = new QTimer(this);
    connect(refreshTimer_, &QTimer::timeout, this, &MainWindow::refresh);
    refreshTimer_->start(kRefreshMs);
    refresh();
}

MainWindow::~MainWindow() {
    program_.session.ticks.setPass([&cycle = program_.session.cycle] { cycle.ProcessReadSet(); });
    program_.session.window.setLivePlotRefresh({});
    program_.session.sinks.remove(*plotSink_);
}

void MainWindow::FitToScreen() {
    // The window as designed, made smaller where the screen is; on a large screen it grows
    // with its proportions kept to about three quarters of the screen, so that the plots
    // and texts do not sit in a small window in the middle.
    const QRect room = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    const double grow = std::min(0.75 * room.width() / kDesignedWidth,
                                 0.8 * room.height() / kDesignedHeight);
    const QSize designed = grow > 1.0 ? QSize(static_cast<int>(kDesignedWidth * grow),
                                              static_cast<int>(kDesignedHeight * grow))
                                      : QSize(kDesignedWidth, kDesignedHeight);
    const QSize size(std::min(designed.width(), room.width() - 16),
                     std::min(designed.height(), room.height() - 48));
    resize(size);
    move(room.center() - QPoint(size.width() / 2, size.height() / 2 + 12));
}

void MainWindow::TabChanged(int index) {
    const std::optional<Tab> picked = TabAt(index);
    if (!picked) return; // no tab of the window (the strip emptied as the window closes)
    Tab current = *picked;
    Guarded([&] { current = tabStrip_.Click(*picked, currentTab_); });
    if (current != *picked) {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(TabIndex(current));
    }
    currentTab_ = current;
    refresh();
}

void MainWindow::refresh() {
    const TestTabView& view = program_.session.window.view();
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->isTabEnabled(i) != view.tabEnabled.at(static_cast<size_t>(i)))
            tabs_->setTabEnabled(i, view.tabEnabled.at(static_cast<size_t>(i)));
    const QString title = QString::fromStdString(MainWindowTitle(program_.links.DemoMode()));
    if (windowTitle() != title) setWindowTitle(title);
    ShowStatusBar();
    for (MainTab* page : pages_)
        if (page == tabs_->currentWidget()) page->refresh();
    if (afterRefresh_) afterRefresh_();
}

void MainWindow::ShowStatusBar() {
    std::string date = program_.params.SysParam(slot::CalibrationDate).text();
    const CalibrationDue due = CalibrationDueText(date, QDate::currentDate());
    if (program_.params.SysParam(slot::CalibrationDate).text().empty())
        program_.params.SysParam(slot::CalibrationDate) = date;
    const QDateTime now = QDateTime::currentDateTime();
    const QString texts[] = {
        QString::fromStdString(LastCalibrationText(date)), QString::fromStdString(due.text),
        now.toString(QStringLiteral("MM-dd-yyyy")), now.toString(QStringLiteral("HH:mm"))};
    for (size_t i = 0; i < panels_.size(); ++i)
        if (panels_[i]->text() != texts[i]) panels_[i]->setText(texts[i]);
    testTab_->setOutOfCalibrationVisible(due.overdue);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
        return;
    }
    event->ignore();
    Guarded([&] {
        if (onClose_) onClose_();
    });
    refresh();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    tabStrip_.WindowReady = true;
}

} // namespace dilato::ui
