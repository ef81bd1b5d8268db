#pragma once
// The operator's program as a whole: its clock, the serial ports (real or simulated), the
// operator's boxes and windows, the program's objects and the main window, started in the
// order of the start-up and ended through the exit question or the end of the program.

#include "ProgramOptions.h"
#include "ProgramPorts.h"

#include "core/Program.h"
#include "core/StartUp.h"
#include "platform/DiskFlush.h"
#include "platform/SystemFolder.h"
#include "platform/SystemFolderLock.h"
#include "ui/GuardedClock.h"
#include "ui/HelpViewer.h"
#include "ui/MainWindow.h"
#include "ui/QtOperator.h"
#include "ui/TerminationWindow.h"
#include "ui/update/QtUpdateWindows.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dilato::gui {

struct GuiOptions : app::ProgramOptions {
    bool help = false;
    bool version = false;
};
// Throws std::invalid_argument with a message for the operator.
[[nodiscard]] GuiOptions ParseGuiOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string GuiUsage();

class GuiHost;

class GuiProgram {
  public:
    explicit GuiProgram(const GuiOptions& options);
    ~GuiProgram();
    GuiProgram(const GuiProgram&) = delete;
    GuiProgram& operator=(const GuiProgram&) = delete;

    // The start-up; false when the program ends without a main window. Ending with a
    // message unwinds with ProgramEnd.
    [[nodiscard]] bool start();

    [[nodiscard]] Program& program() { return *program_; }
    [[nodiscard]] ui::MainWindow* window() { return window_.get(); }
    [[nodiscard]] ui::TerminationWindow& termination() { return termination_; }
    [[nodiscard]] ui::QtOperator& op() { return op_; }
    [[nodiscard]] Clock& clock() { return clock_; }
    [[nodiscard]] StartUp& startUp() { return *startUp_; }
    [[nodiscard]] app::ProgramPorts& ports() { return *ports_; }
    [[nodiscard]] const std::string& systemFolder() const { return systemFolder_; }

    // The software update's windows (reminder with its option preset, returning the option;
    // installer, returning whether an update starts). The constructor sets them to the
    // update's Qt windows; a test may replace them.
    std::function<bool(bool)> updateReminder;
    std::function<bool()> updateInstaller;

  private:
    void ShowResultsServerState();
    friend class GuiHost;
    void ShowMainWindow();

    class ComWindow final : public ComDialog {
      public:
        explicit ComWindow(GuiProgram& gui) : gui_(gui) {}
        void ShowSystemComError() override;

      private:
        GuiProgram& gui_;
    };

    GuiOptions options_;
    SystemFolderChoice folderChoice_;
    std::string systemFolder_;
    std::unique_ptr<Clock> wall_;
    ui::GuardedClock clock_;
    // The window is painted while the disk takes a save, the journal or a settings file.
    FlushesAside flushesAside_{clock_};
    std::unique_ptr<app::ProgramPorts> ports_;
    ui::QtOperator op_;
    ui::TerminationWindow termination_;
    ComWindow comWindow_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ui::HelpViewer> help_;
    std::unique_ptr<SystemFolderLock> lock_; // taken by the start-up's single-copy check
    std::unique_ptr<GuiHost> host_;
    std::unique_ptr<StartUp> startUp_;
    std::unique_ptr<ui::MainWindow> window_;
    std::unique_ptr<QtUpdateWindows> updateWindows_;
    std::unique_ptr<InstallerLauncher> installerLauncher_;
};

} // namespace dilato::gui
