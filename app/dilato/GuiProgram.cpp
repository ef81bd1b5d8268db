#include "GuiProgram.h"

#include "GuiHost.h"

#include "core/ComSettingsModel.h"
#include "platform/Files.h"
#include "platform/SoundPlayer.h"
#include "platform/SystemFolder.h"
#include "ui/SettingsWindows.h"

#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <iostream>
#include <stdexcept>

namespace dilato::gui {

GuiOptions ParseGuiOptions(const std::vector<std::string>& args) {
    GuiOptions o;
    app::WalkOptions(args,
                     [&o](const std::string& arg, const std::optional<std::string>& inlineValue,
                          const std::function<std::string()>& value) {
                         if (arg == "--help" || arg == "-h")
                             o.help = true;
                         else if (arg == "--version")
                             o.version = true;
                         else
                             return app::TakeProgramOption(arg, inlineValue, value, o);
                         return true;
                     });
    return o;
}

std::string GuiUsage() {
    return std::string("dilato: the CTE tester's control program.\n\n") +
           app::ProgramOptionsUsage() +
           "  --version             print the version and end\n"
           "\nWith --simulate the simulated instruments answer on pseudo-terminals behind COM1 to\n"
           "COM3, so that the program's real serial path runs.\n";
}

GuiProgram::GuiProgram(const GuiOptions& options)
    : options_(options),
      folderChoice_(ChooseSystemFolder(options.systemFolder, options.simulate.has_value())),
      systemFolder_(folderChoice_.path),
      wall_(MakeWallClock(options.timeScale.value_or(1.0))), clock_(*wall_),
      ports_(
          app::MakePorts(options, clock_, systemFolder_, 0.0, app::SimulatedLine::PseudoTerminal)),
      termination_(op_), comWindow_(*this) {
    op_.setSoundPlayer([](const std::string& path) { PlaySoundFile(path); });
    program_ = std::make_unique<Program>(ProgramAdapters{clock_,
                                                         op_,
                                                         termination_,
                                                         comWindow_,
                                                         *ports_->displacement,
                                                         *ports_->tempStage,
                                                         *ports_->calibrator,
                                                         ProgramFolder(),
                                                         systemFolder_,
                                                         {}});
    program_->session.journal.setKeepEndedJournals(options_.keepJournal);
    program_->session.start.sampleClasses = SampleClassMemory(OperatorSampleClassesPath());
    help_ = ui::MakeHelpViewer(program_->folders.AppFolder);
    host_ = std::make_unique<GuiHost>(*this, *help_);
    startUp_ = std::make_unique<StartUp>(*program_, *host_, clock_, op_, termination_);
    termination_.setOnAnswer([this](bool yes) { startUp_->TerminationAnswer(yes); });
    updateWindows_ = std::make_unique<QtUpdateWindows>(program_->folders.SysFolder, op_);
    installerLauncher_ = MakeSystemInstallerLauncher();
    updateReminder = [this](bool remind) { return updateWindows_->showReminder(remind); };
    updateInstaller = [this] {
        return StartPendingInstallation(
            program_->folders.SysFolder, *updateWindows_, *installerLauncher_,
            [this] { program_->settings.SaveSettings(); }, op_);
    };
    if (options.simulate) {
        // The simulated instruments answer on their own ports; the PC's settings stay as
        // they were.
        startUp_->settingsOverride = [](SettingsFile& settings) {
            settings.displacementComPort = app::kSimulatedSensorPort;
            settings.tempStageComPort = app::kSimulatedStagePort;
        };
        startUp_->saveSettingsAtEnd = false;
    }
}

GuiProgram::~GuiProgram() {
    // The ticks stop before the window and the ports go.
    if (program_) program_->session.ticks.SuspendTicks();
    window_.reset();
}

bool GuiProgram::start() {
    // With the real instruments the PC's shared folder, or a stop that says what to do.
    if (!folderChoice_.usable()) {
        ShowMessage(op_, folderChoice_.problem, "System Folder Error", MessageIcon::Critical);
        return false;
    }
    std::cout << DescribeSystemFolder(folderChoice_) << std::endl;
    if (const std::string note = SharingNote(systemFolder_); !note.empty())
        std::cout << note << std::endl;
    return startUp_->Main();
}

void GuiProgram::ShowMainWindow() {
    (void)program_->OpenResultsStore(options_.resultsDb);
    window_ = std::make_unique<ui::MainWindow>(*program_, *help_, op_, clock_);
    ShowResultsServerState();
    window_->setOnCloseRequest([this] { startUp_->CloseRequest(); });
    startUp_->onEndDilato = [this] {
        // The Setup Options tab takes its choices over before the end.
        if (TabAt(window_->tabs().currentIndex()) == Tab::SetupOptions)
            (void)window_->page(Tab::SetupOptions).leaveTab(Tab::Test);
        window_->allowClose();
    };
    window_->show();
    window_->activateWindow();
}

void GuiProgram::ShowResultsServerState() {
    if (!program_->resultsStore || !program_->resultsStore->forwarding()) return;
    // "results server offline (N waiting)" beside the status bar's panels while the lab's
    // server cannot be reached; read from the forwarder, never waiting on it.
    auto* label = new QLabel(window_.get());
    label->setObjectName(QStringLiteral("ResultsServerState"));
    window_->statusBar()->addPermanentWidget(label);
    auto* timer = new QTimer(label);
    QObject::connect(timer, &QTimer::timeout, label, [this, label] {
        const QString text = QString::fromStdString(program_->ResultsStatusText());
        if (label->text() != text) label->setText(text);
        label->setVisible(!text.isEmpty());
    });
    timer->start(1000);
    label->setVisible(false);
}

void GuiProgram::ComWindow::ShowSystemComError() {
    ComSettingsModel form(gui_.program_->links, gui_.program_->discovery.ComPorts());
    ui::ShowComSettings(form, *gui_.help_, gui_.window_.get());
}

} // namespace dilato::gui
