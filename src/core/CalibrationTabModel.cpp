#include "core/CalibrationTabModel.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"

namespace dilato {

namespace {
constexpr const char* kStarting = "    ... calibration starting ...";
constexpr float kSafeStageTemp = 20.0f;
} // namespace

CalibrationTabModel::CalibrationTabModel(CalibrationTabServices services,
                                         StageCalibration& calibration, CalibratorLink& link,
                                         CalibratorTestUtility& utility, CalibrationView& view)
    : s_(std::move(services)), cal_(calibration), link_(link), utility_(utility), view_(view) {}

void CalibrationTabModel::EnterInstCalib() {
    s_.ticks.SuspendTicks();
    s_.window.EnableTabs();
    view_.hobbsMeter.clear();
    s_.run.CalibrationMode = true;
    s_.run.TestFinished = false;
    cal_.Reset(); // `CalRunState` 10, `CalPhase` 0, `CalDone` false, readings and record
    s_.run.testState = state::StepStart;
    s_.run.StepIndex = 0;
    UpdateTestStatus(TestState::StepStart);
    EnableCalUI(true);
    RefreshCalUI(true);
    view_.hobbsMeter = FormatNumber(LeadingNumber(s_.logs.HobbsMeterUpdate("0")), "#");
    view_.stopEnabled = true;
    view_.helpEnabled = false;
    view_.readingTexts = {"", ""};
    view_.messageText.clear();
    SetBusyPointer(s_.links.services().op, s_.links.services().clock, true);
}

bool CalibrationTabModel::LeaveInstCalib() {
    try {
        s_.ticks.SuspendTicks();
        if (!s_.paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main))
            return false;
        s_.run.TestFinished = true;
        cal_.CalRunState = calrun::Idle;
        s_.run.testState = state::Idle;
        UpdateTestStatus(TestState::Idle);
        s_.run.CalibrationMode = false;
        return true;
    } catch (const std::exception&) {
        s_.window.EnableTabs();
        return false;
    }
}

void CalibrationTabModel::Step() {
    cal_.Step();
    s_.window.calPhase = cal_.CalPhase;
}

void CalibrationTabModel::UpdateTestStatus(TestState phase) {
    s_.window.calPhase = cal_.CalPhase;
    s_.window.UpdateTestStatus(phase);
    if (phase == TestState::StepStart && s_.run.CalibrationMode &&
        (cal_.CalPhase == calphase::Ready || cal_.CalPhase == calphase::Ended)) {
        view_.calibMessVisible = false;
        view_.tcTestEnabled = true;
        view_.browseEnabled = true;
        view_.howToEnabled = true;
        if (cal_.CalPhase == calphase::Ready) s_.ticks.SuspendTicks();
    }
}

void CalibrationTabModel::HowTo() {
    view_.messageText = kHowToText;
    view_.howToShown = true;
}

void CalibrationTabModel::CalibratorTest() {
    link_.dialogs().ShowCalibratorTest(utility_);
}

void CalibrationTabModel::Cal() {
    LinkServices& ls = s_.links.services();
    if (s_.ticks.TicksActive()) s_.ticks.SuspendTicks();
    if (cal_.CalDone || cal_.CalRunState != calrun::Idle) return;
    if (!SelectCalibratorType(link_, ls.op)) return;
    const int type = link_.CalibratorType();
    if (type == tccal::Martel8010) {
        if (s_.links.calibratorComPort == 0) {
            utility_.SetAutoExit();
            CalibratorTest();
            if (!utility_.CalibratorFound) {
                view_.messageText = " ... Search for Tc Calibrator serial link suspended ...";
                return;
            }
        }
    } else if (type != tccal::Manual) {
        return;
    }
    view_.messageText = kStarting;
    view_.tcTestEnabled = view_.browseEnabled = view_.howToEnabled = false;
    s_.links.SetStageTestMode(true, false);
    view_.cal.enabled = false;
    SetBusyPointer(ls.op, ls.clock, false);
    cal_.CalRunState = calrun::Running;
    cal_.CalPhase = calphase::Ready;
    GreyOutCalButton(true);
    if (type == tccal::Martel8010) {
        std::string message;
        if (!link_.InitCalibrator(message)) {
            cal_.CalRunState = calrun::Idle;
            // The calibration never started: the stage leaves its test mode again.
            s_.links.SetStageTestMode(false, false);
            SetBusyPointer(ls.op, ls.clock, true);
            view_.WriteMessage(message);
            EnableCalUI(true);
            view_.tcTestEnabled = view_.browseEnabled = view_.howToEnabled = true;
            return;
        }
    }
    view_.messageText = kStarting;
    cal_.CalPhase = calphase::Starting;
    s_.window.calPhase = cal_.CalPhase;
    s_.ticks.ResumeTicks();
}

void CalibrationTabModel::Stop() {
    s_.ticks.SuspendTicks();
    const bool wasRunning = cal_.CalRunState == calrun::Running &&
                            (cal_.CalPhase == calphase::Starting || cal_.CalPhase == calphase::Stepping);
    cal_.CalRunState = calrun::Idle;
    view_.messageText.clear();
    if (!s_.run.ExitRequested) {
        s_.run.StopRequested = true;
        if (!cal_.CalDone) {
            const MessageAnswer a = s_.links.services().op.show(
                Message{"Calibration has not been completed!\nDo you want to exit?",
                        "Incomplete Calibration Alert", MessageIcon::Exclamation,
                        MessageButtons::YesNo, 0});
            if (a == MessageAnswer::No) {
                s_.run.StopRequested = false;
                if (wasRunning) cal_.CalRunState = calrun::Running;
                s_.ticks.ResumeTicks();
                return;
            }
        }
    }
    if (wasRunning) {
        // A calibration stopped half-way leaves the stage as a failed one does: at 20 °C
        // uncalibrated with its test mode off, the constants untouched.
        cal_.CalPhase = calphase::Ended;
        s_.links.SetStageTestMode(false, false);
        s_.links.SetStageTemp(kSafeStageTemp, true);
        cal_.outcome = CalOutcome::Aborted;
    }
    view_.readingTexts = {"", ""};
    EndCalibrationUI();
}

void CalibrationTabModel::EndCalibrationUI() {
    cal_.CalRunState = calrun::Idle;
    view_.stopEnabled = false;
    view_.helpEnabled = true;
    view_.howToEnabled = true;
    s_.run.TestFinished = true;
    EnableCalUI(false);
    s_.window.EnableTabs();
    s_.run.StopRequested = false;
}

void CalibrationTabModel::EnableCalUI(bool enable) {
    view_.cal.enabled = enable;
}

void CalibrationTabModel::SetCalButtonDone(bool done) {
    view_.cal.enabled = !done;
    view_.cal.caption = done ? "DONE" : "CAL";
    if (done) view_.howToShown = false;
}

void CalibrationTabModel::GreyOutCalButton(bool grayOut) {
    if (!grayOut && cal_.CalDone) return;
    view_.cal.enabled = !grayOut;
}

void CalibrationTabModel::RefreshCalUI(bool /*reset*/) {
    SetCalButtonDone(cal_.CalDone);
    if (cal_.CalDone) {
        view_.howToShown = false;
        CalibrationCompleted();
    }
    GreyOutCalButton(false);
}

void CalibrationTabModel::CalibrationCompleted() {
    if (!cal_.CalDone) return;
    // The date itself was set and saved with the new constants when the calibration
    // finished; here the window and the settings follow.
    s_.settings.SaveSettings();
    s_.run.StopRequested = true;
    s_.ticks.SuspendTicks();
    view_.messageText = "Calibration complete!!\r\nThe certficate is stored in 'Calib' within the "
                        "Dilato Data Folder.  ";
    EndCalibrationUI();
}

void CalibrationTabModel::Browse() {
    const std::string folder = CalibrationRecordFolder(s_.sysFolder, s_.paramFile.params());
    if (IsDirectory(folder)) {
        if (s_.openFolder) s_.openFolder(folder);
    } else {
        ShowMessage(s_.links.services().op, "No Calibration Data found for this Instrument!");
    }
}

} // namespace dilato
