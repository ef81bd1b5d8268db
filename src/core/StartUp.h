#pragma once
// The program's start-up (`Main`) in its fixed order, from the single-copy check to the
// Test tab with the ticks running, and the close request of the main window with the exit
// question's answers. What the desktop and the windows do is asked of a StartUpHost, so
// that the order and the decisions are tested without a display.

#include "storage/GraphKind.h"

#include <functional>
#include <string>

namespace dilato {

class Clock;
class Operator;
class Program;
class SettingsFile;
class TerminationDialog;

// How the operator closed a start-up dialog whose close decides whether the program goes on.
// `GoOnWithout`: the PDF viewer prompt's "Continue without", which is remembered.
enum class DialogClose { Button, OtherMeans, GoOnWithout };

class StartUpHost {
  public:
    virtual ~StartUpHost() = default;
    // The single-copy check: false when another copy already runs on this system folder.
    [[nodiscard]] virtual bool TakeSingleCopyLock() = 0;
    // True when the user's locale writes money with "." as its decimal separator.
    [[nodiscard]] virtual bool MonetaryDecimalIsPoint() = 0;
    virtual DialogClose ShowRegionalSettingsWarning() = 0;
    // Raises the process's priority where permitted; silently nothing otherwise.
    virtual void RaisePriority() = 0;
    [[nodiscard]] virtual bool PdfViewerRegistered() = 0;
    virtual DialogClose ShowPdfViewerPrompt() = 0;
    virtual void ShowComPortSettings() = 0;
    // The software update reminder with its reminder option preset; returns the option.
    virtual bool ShowUpdateReminder(bool remind) = 0;
    // The installer of a downloaded update; true when an update is starting.
    virtual bool ShowUpdateInstaller() = 0;
    [[nodiscard]] virtual int ScreenHeight() = 0;
    virtual void ShowVideoModeWarning() = 0;
    virtual void ShowSysparamBackupChoice() = 0;
    // The operation-mode dialog; returns the full-operation flag.
    virtual bool ShowPassword() = 0;
    virtual DialogClose ShowSystemWarnings() = 0;
    virtual void ShowTimedMessage(const std::string& caption, const std::string& text, int ms) = 0;
    virtual void ShowMainWindow() = 0;
    virtual void FocusTabStrip() = 0;
};

inline constexpr const char* kWarmUpText =
    "Please allow the CTE Tester to warm-up for 15 minutes prior to use!";
inline constexpr const char* kWarmUpCaption = "Initial Warm-up Warning";
inline constexpr int kWarmUpMs = 5000;
inline constexpr int kMinimumScreenHeight = 768;
inline constexpr int kRecommendedScreenHeight = 900;

// The display check: true when the program can run on a screen this high; whether the
// video-mode warning is to be shown.
struct DisplayCheck {
    bool run = true;
    bool warn = false;
};
[[nodiscard]] DisplayCheck CheckDisplay(int screenHeight);

class StartUp {
  public:
    StartUp(Program& program, StartUpHost& host, Clock& clock, Operator& op,
            TerminationDialog& termination)
        : p_(program), host_(host), clock_(clock), op_(op), termination_(termination) {}

    // `Main`: returns true when the main window is up and the ticks run; false when the
    // program is to end quietly (second copy, screen too small). Ending at once after a
    // message (parameter file, COM ports, failures) unwinds with ProgramEnd.
    [[nodiscard]] bool Main();

    // The main window's close request: always cancelled; asks the exit question unless one
    // is open or a Stop request waits for its tick (which then gets its tick back).
    void CloseRequest();
    // The exit question's answers. Yes ends the program (through ProgramEnd).
    void ExitYes();
    void ExitNo();
    // The termination question's answer, in whichever mode it was asked.
    void TerminationAnswer(bool yes);

    bool fullOperation = true;
    bool readerInstalled = false;
    GraphKind graphType = GraphKind::DisplacementTemperature;
    // A simulated run points the settings at its own ports after they are read, and leaves
    // the PC's settings file as it was at the end.
    std::function<void(SettingsFile&)> settingsOverride;
    bool saveSettingsAtEnd = true;
    // `EndDilato`'s part before the end: the Setup Options tab takes its choices over.
    std::function<void()> onEndDilato;

  private:
    void Steps();
    Program& p_;
    StartUpHost& host_;
    Clock& clock_;
    Operator& op_;
    TerminationDialog& termination_;
};

} // namespace dilato
