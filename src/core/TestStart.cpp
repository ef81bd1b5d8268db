#include "core/TestStart.h"

#include "core/SampleLength.h"
#include "core/TestPlan.h"
#include "platform/Desktop.h"
#include "platform/Format.h"
#include "platform/ProgramEnd.h"
#include "platform/TextFile.h"
#include "storage/ExistingTest.h"
#include "storage/NameRules.h"

namespace dilato {

void TestStart::StartPressed() {
    c_.window.view().startEnabled = false;
    c_.window.UpdateTestStatusNotStarted();
    c_.run.StartRequested = true;
    if (!c_.ticks.TicksActive()) c_.ticks.ResumeTicks();
}

void TestStart::StartTest() {
    TestRun& run = c_.run;
    c_.window.ShowLiveReadings(true);
    run.StartRequested = false;
    run.StepsSaved = 0;
    run.testState = state::Accepted;
    c_.window.EnableTabs();
    ReorderTempSequence(c_.params, c_.instruments.SampleTemp(), c_.op);
    if (PlanWithinStageReach(c_.params, c_.op) && PlanGivesResults(c_.params, c_.op) &&
        PrepareTestStart()) {
        c_.window.UpdateTestStatusNotStarted();
        c_.instruments.SetStageTestMode(true, true);
        // A controller that did not answer has aborted the start (and shown why); the abort
        // has already put the window back in its idle look.
        if (run.testState != state::Accepted) return;
        (void)sequencer_.AdvanceStep(true);
        c_.window.UpdateTestStatus(run.testState);
        sequencer_.LoadStepSetPoint();
        TestTabView& view = c_.window.view();
        const SampleLengthCheck length =
            CheckSampleLength(view.sampleLength, run.UnitsInches, c_.op);
        view.sampleLength = length.boxText;
        run.SampleLength = length.lengthInches;
        run.equilibrium.kind =
            ParseMaterialClass(view.materialClass).value_or(MaterialClass::Unknown);
        if (length.accepted && (!prepare_ || prepare_())) {
            RememberSampleClass(view.sampleId, run.equilibrium.kind);
            view.sampleLengthEnabled = false;
            view.elapsed.clear();
            view.browseDataEnabled = false;
            return;
        }
    }
    sequencer_.StopTest(true);
}

void TestStart::RememberSampleClass(const std::string& sampleId, MaterialClass kind) {
    try {
        sampleClasses.Remember(sampleId, kind);
    } catch (const std::exception& e) {
        // A convenience for the next test of the sample: the test goes on without it.
        c_.log.ErrorLog("Error: " + std::string(e.what()) + " in RememberSampleClass.");
    }
}

bool TestStart::PrepareTestStart() {
    TestRun& run = c_.run;
    try {
        run.TestFinished = false;
        run.StopRequested = false;
        if (!run.CalibrationMode) {
            TestTabView& view = c_.window.view();
            folders_.DataFileName = view.dataFile;
            if (!CheckTestName(folders_.DataFileName, c_.op)) {
                c_.window.ButtonsForStoppedTest();
                return false;
            }
            view.dataFile = folders_.DataFileName;
            if (!CheckTestPathLength(folders_, c_.op) ||
                !CreateDataFolder(folders_.DataPath, folders_, c_.op, c_.window) ||
                !ConfirmTestOverwrite(folders_, c_.op) || !DataFolderWritable()) {
                c_.window.ButtonsForStoppedTest();
                return false;
            }
            folders_.SummaryFileName = folders_.DataPath + folders_.DataFileName + "_CTE.txt";
            c_.window.ButtonsForRunningTest();
            c_.window.EnableFileFields(false);
        }
        c_.window.UpdateTestStatus(TestState::StepStart);
        return true;
    } catch (const std::exception& e) {
        sequencer_.StopTest(true);
        ShowMessage(c_.op, std::string("Error in StartButtSetup: ") + e.what());
        EndProgram(1, std::string("StartButtSetup: ") + e.what());
    }
}

bool TestStart::DataFolderWritable() {
    // Found now, not at the end of the first step with its readings only in memory.
    const std::string problem = FolderWriteProblem(folders_.DataPath);
    if (problem.empty()) return true;
    ShowMessage(c_.op,
                "The test cannot start: its data folder " + folders_.DataPath +
                    " cannot be written (" + problem +
                    "). Its readings, journal and results would be lost. Free space on the disk "
                    "or choose another data folder.",
                kDataFolderErrorTitle, MessageIcon::Exclamation);
    return false;
}

AbortMessage AbortMessageFor(int failureKind) {
    AbortMessage m;
    switch (failureKind) {
    case 1:
        m = {"No data received from the displacement sensor...", "Displacement Sensor Error"};
        break;
    case 2:
        m = {"Displacement sensor reading is negative...", "Displacement Sensor Error"};
        break;
    case 3:
        m = {"No data received from the TE controller on Query...", "Temp-Stage Controller Error"};
        break;
    case 4:
        m = {"No data received from the TE controller on Send...", "Temp-Stage Controller Error"};
        break;
    case 8:
        m = {"Unable to set TE controller Baud Rate...", "Temp-Stage Controller Error"};
        break;
    default:
        m = {"", "Hardware Problem"};
        break;
    }
    // The program stays open: the test is stopped and the operator may start again.
    m.text += " Check power connections, and verify that the CTE Tester AC power is switched On... "
              "The test has been stopped...";
    return m;
}

void TestStart::AbortWith(const AbortMessage& m) {
    c_.ticks.SuspendTicks();
    PlayEventSound(c_.op, c_.appFolder, "Attention.wav");
    sequencer_.StopTest(false);
    c_.log.TestLog(m.text, TestLogKind::InstrumentAbort);
    ShowMessage(c_.op, m.text, m.title);
}

void TestStart::AbortErrors(int failureKind) {
    try {
        AbortWith(AbortMessageFor(failureKind));
    } catch (const std::exception& e) {
        sequencer_.StopTest(false);
        ReportError(c_.op, 0, "modUtils.AbortErrors",
                    e.what() + std::string(" @ errType=") + FormatNumber(failureKind, "#"));
    }
}

} // namespace dilato
