#include "core/ReadCycle.h"

#include "core/TestPlan.h"
#include "platform/Desktop.h"
#include "platform/Format.h"

#include <algorithm>
#include <cmath>

namespace dilato {

double ArrivalLimitMinutes(double degrees) {
    return std::max(kArrivalFloorMinutes, 3.0 * std::fabs(degrees) / kStageDegreesPerMinute);
}

void ReadCycle::ProcessReadSet() {
    TestRun& run = c_.run;
    try {
        c_.window.ShowLiveReadings(false);
        if (run.CalibrationMode) {
            if (calibrationStep_) calibrationStep_();
            return;
        }
        if (c_.window.view().initializingLabelVisible) {
            SetBusyPointer(c_.op, c_.clock, true);
            c_.window.view().initializingLabelVisible = false;
        }
        if (run.testState == state::Idle) {
            sequencer_.GateControl();
            if (run.StartRequested) {
                start_.StartTest();
                c_.ticks.watch().restart(); // the new test's bound counts from its own reads
                c_.ticks.ResumeTicks();
                if (run.testState != state::Idle) c_.window.EnableTestDataUI(true);
            }
        } else if (run.testState < state::Accepted || run.testState > state::Hold) {
            sequencer_.StopTest(true);
        } else {
            if (InstrumentLost() || StageNeverArrives()) return;
            sequencer_.GateControl();
            if (run.TestFinished) sequencer_.StopTest(true);
        }
    } catch (const std::exception& e) {
        const std::string text = std::string("Error in ProcessReadSet: # ") + e.what();
        ShowMessage(c_.op, text);
        c_.log.ErrorLog(text);
    }
}

bool ReadCycle::InstrumentLost() {
    const ReadingWatch& watch = c_.ticks.watch();
    if (const std::optional<int> lost = watch.lostInstrument()) {
        start_.AbortErrors(*lost);
        return true;
    }
    // A sensor reading below its zero is out of its range: no length of the sample.
    if (watch.indicatorFresh() && c_.instruments.IndicatorReading() < 0.0f) {
        start_.AbortErrors(kSensorNegative);
        return true;
    }
    return false;
}

bool ReadCycle::StageNeverArrives() {
    const TestRun& run = c_.run;
    if (run.testState != state::TemperatureWait) return false;
    const float reached = c_.instruments.SampleTemp();
    if (std::fabs(reached - static_cast<float>(c_.instruments.CommandedTemp())) <= 2.0f)
        return false;
    const double from = run.StepIndex == 0 ? run.initial.sampleTemp
                                           : StepSetPoint(c_.params, run.StepIndex - 1);
    const double limit = ArrivalLimitMinutes(run.SetPointTemp - from);
    if (run.StepMinutes <= limit) return false;
    start_.AbortWith(
        {"The Temp-Stage did not bring the sample to the set point of step " +
             std::to_string(run.StepIndex + 1) + " (" + FormatNumber(run.SetPointTemp, "0") +
             " \xC2\xB0""C) in " + FormatNumber(limit, "0") +
             " minutes: the sample reached " + FormatSingle(reached, "0.0") +
             " \xC2\xB0""C. The test is stopped; the steps saved before are kept. Check the "
             "stage's calibration constants (Instr. Calibration tab) and that the stage can "
             "reach this temperature.",
         "Temp-Stage Controller Error"});
    return true;
}

} // namespace dilato
