#include "core/ReadCycle.h"

#include "platform/Desktop.h"

namespace dilato {

void ReadCycle::ProcessReadSet() {
    TestRun& run = c_.run;
    try {
        c_.window.DataToForm1(false);
        if (run.CalibrationMode) {
            if (calibrationStep_) calibrationStep_();
            return;
        }
        if (c_.window.view().initializingLabelVisible) {
            SetBusyPointer(c_.op, c_.clock, true);
            c_.window.view().initializingLabelVisible = false;
        }
        if (run.gTestState == state::Idle) {
            sequencer_.GateControl();
            if (run.StartRequested) {
                start_.StartTest();
                c_.ticks.watch().restart(); // the new test's bound counts from its own reads
                c_.ticks.ResumeTicks();
                if (run.gTestState != state::Idle) c_.window.EnableTestDataUI(true);
            }
        } else if (run.gTestState < state::Accepted || run.gTestState > state::Hold) {
            sequencer_.StopTest(true);
        } else {
            if (InstrumentLost()) return;
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

} // namespace dilato
