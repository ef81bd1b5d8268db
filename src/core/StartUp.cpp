#include "core/StartUp.h"

#include "core/Program.h"
#include "core/TerminationDialog.h"
#include "platform/Desktop.h"
#include "platform/Format.h"
#include "platform/ProgramEnd.h"
#include "platform/Wait.h"
#include "update/UpdateStartup.h"
#include "storage/Provisioning.h"
#include "update/WorkFolder.h"

#include <algorithm>

namespace dilato {

DisplayCheck CheckDisplay(int screenHeight) {
    if (screenHeight >= kRecommendedScreenHeight) return {true, false};
    return {screenHeight >= kMinimumScreenHeight, true};
}

bool StartUp::Main() {
    if (!host_.TakeSingleCopyLock()) {
        ShowMessage(op_, "Error: Only one Dilato session allowed!",
                    "Multiple Dilato Instance Warning");
        return false;
    }
    try {
        Steps();
        return true;
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modControl.Main", e.what());
        EndProgram(1, std::string("modControl.Main: ") + e.what());
    }
}

void StartUp::Steps() {
    Operator& op = op_;
    Clock& clock = clock_;
    // Folder set-up happened when the program was built. With the folder's lock held: a new
    // folder is provisioned (a used one without parameter file is not), what a killed run
    // left is cleaned up; then the parameter file, or an offered backup of it.
    if (!PrepareSystemFolder(p_.folders, op).ok) {
        // The reason (a full disk, a folder that cannot be written) has been shown.
        ShowMessage(op, "The system folder " + p_.folders.SysFolder +
                            " cannot be prepared (see the message before). Dilato software "
                            "will now abort!",
                    "System Folder Error");
        EndProgram(1, "system folder");
    }
    if (!p_.paramFile.LoadMainOrOfferBackup()) {
        ShowMessage(op, "Dilato software will now abort!", kInvalidSysParamTitle);
        EndProgram(1, "invalid system parameter file");
    }
    p_.session.run.UnitsInches = p_.params.SysParam(slot::Units).number() == 0;
    if (!host_.MonetaryDecimalIsPoint() &&
        host_.ShowRegionalSettingsWarning() == DialogClose::Button)
        EndProgram(1, "regional settings");
    host_.RaisePriority();
    p_.session.run.ExitRequested = false;
    p_.logs.TestLog("", TestLogKind::Launch);
    CleanUpdateFolder(p_.folders.SysFolder);
    ShowLastUpdateResult(p_.folders.SysFolder, op);
    p_.settings.LoadSettings();
    if (settingsOverride) settingsOverride(p_.settings);
    // After the settings: an operator who chose to go on without a PDF viewer is not asked
    // at every start.
    readerInstalled = host_.PdfViewerRegistered();
    if (!readerInstalled && p_.settings.promptForPdfViewer) {
        const DialogClose close = host_.ShowPdfViewerPrompt();
        if (close == DialogClose::Button) EndProgram(0, "no PDF viewer");
        if (close == DialogClose::GoOnWithout) {
            p_.settings.promptForPdfViewer = false;
            p_.settings.SaveSettings();
        }
    }

    if (!p_.discovery.EnumComPorts() || p_.discovery.ComPorts().size() < 2) {
        ShowMessage(
            op, "PC does not appear to have at least two COM ports available.\nDilato is ending.",
            "COM Port Error", MessageIcon::Exclamation);
        EndProgram(1, "fewer than two COM ports");
    }
    if (p_.settings.displacementComPort == 0 || p_.settings.tempStageComPort == 0)
        host_.ShowComPortSettings();
    const auto& ports = p_.discovery.ComPorts();
    const auto present = [&ports](int port) {
        return std::find(ports.begin(), ports.end(), port) != ports.end();
    };
    if (!present(p_.settings.displacementComPort) || !present(p_.settings.tempStageComPort))
        host_.ShowComPortSettings();
    p_.discovery.CheckInstrumentLinks();

    if (UpdateReminderDue(p_.settings.updateReminderDate, p_.settings.updateReminderOn,
                          clock.today())) {
        p_.settings.updateReminderOn = host_.ShowUpdateReminder(p_.settings.updateReminderOn);
        p_.settings.updateReminderDate = FormatDateMDY(clock.today());
    }
    if (FindPendingArchive(UpdateWorkFolder(p_.folders.SysFolder)) && host_.ShowUpdateInstaller()) {
        p_.settings.SaveSettings();
        EndProgram(0, "update starting");
    }

    const DisplayCheck display = CheckDisplay(host_.ScreenHeight());
    if (display.warn) host_.ShowVideoModeWarning();
    if (!display.run) EndProgram(1, "screen too small");

    graphType = GraphKind::DisplacementTemperature;
    (void)p_.logs.HobbsMeterUpdate("0.00");
    if (!p_.links.DemoMode()) p_.logs.StartUsage(); // the hour meter counts from here
    if (p_.paramFile.BackupChoiceNeeded()) host_.ShowSysparamBackupChoice();
    fullOperation = true;
    if (!p_.params.SysParam(slot::Password).text().empty()) fullOperation = host_.ShowPassword();
    if (p_.settings.showSystemWarnings && host_.ShowSystemWarnings() == DialogClose::OtherMeans)
        EndProgram(0, "system warnings closed");

    PlayEventSound(op, p_.folders.AppFolder, "TurnON.wav");
    SetBusyPointer(op, clock, false);
    host_.ShowTimedMessage(kWarmUpCaption, kWarmUpText, kWarmUpMs);
    host_.ShowMainWindow();
    WaitSeconds(clock, 2.0);
    p_.links.SetStageTemp(20.0f, true);
    p_.session.EnterTest();
    SetBusyPointer(op, clock, true);
    host_.FocusTabStrip();
    // A test that a crash or a power cut interrupted: the operator resumes or closes it.
    const auto interrupted = FindInterruptedTests(p_.folders);
    if (!interrupted.empty()) p_.recovery.AskAndRecover(interrupted);
}

void StartUp::CloseRequest() {
    TestRun& run = p_.session.run;
    p_.session.ticks.SuspendTicks();
    if (!run.ExitRequested && !run.StopRequested) {
        run.ExitRequested = true;
        termination_.open(ExitQuestion());
    } else if (run.StopRequested && !termination_.isVisible()) {
        // A Stop request still waits for its tick: the tick must come to ask its question.
        p_.session.ticks.ResumeTicks();
    }
}

void StartUp::ExitYes() {
    termination_.close();
    SetBusyPointer(op_, clock_, true);
    // The operator ends the test on purpose ("aborted without data-save"): not interrupted.
    if (p_.session.run.testState != state::Idle) p_.session.sinks.TestEnded("stopped");
    p_.session.sequencer.StopTest(false);
    p_.ShutDown(saveSettingsAtEnd);
    PlayEventSound(op_, p_.folders.AppFolder, "Shutdown.wav");
    if (onEndDilato) onEndDilato();
    EndProgram(0, "shut down");
}

void StartUp::ExitNo() {
    p_.session.sequencer.TerminationNo();
}

void StartUp::TerminationAnswer(bool yes) {
    if (!yes)
        ExitNo();
    else if (p_.session.run.ExitRequested)
        ExitYes();
    else
        p_.session.sequencer.TerminationYes();
}

} // namespace dilato
