#pragma once
// One pass of the tick: shows the latest readings, then hands the tick to the stage
// calibration (in calibration mode) or to the sequencer, starting a test that the Start
// button asked for. A running test is first stopped through the instrument abort when an
// instrument has given no reading for too long or the sensor reads below zero.

#include "core/Sequencer.h"
#include "core/TestStart.h"

#include <functional>

namespace dilato {

// How long a step may wait for the sample to come within the 2 °C window of its set point:
// three times what the stage needs at kStageDegreesPerMinute for a change of `degrees`, and
// never less than kArrivalFloorMinutes. A stage that takes longer is not regulating (a
// calibration constant that is wrong, a stage that cannot reach the set point): the wait
// would otherwise last until the hold limit of days.
inline constexpr double kStageDegreesPerMinute = 1.0;
inline constexpr double kArrivalFloorMinutes = 60.0;
[[nodiscard]] double ArrivalLimitMinutes(double degrees);

class ReadCycle {
  public:
    ReadCycle(SequencerContext context, Sequencer& sequencer, TestStart& start)
        : c_(std::move(context)), sequencer_(sequencer), start_(start) {}

    // The calibration's step handler, run instead of the sequencer in calibration mode.
    void setCalibrationStep(std::function<void()> step) { calibrationStep_ = std::move(step); }

    void ProcessReadSet();

  private:
    // Aborts the running test for a lost instrument or a negative sensor reading.
    bool InstrumentLost();
    // Aborts the running test when the stage has not brought the sample near the step's set
    // point in the time a stage needs for the step (ArrivalLimitMinutes).
    bool StageNeverArrives();

    SequencerContext c_;
    Sequencer& sequencer_;
    TestStart& start_;
    std::function<void()> calibrationStep_;
};

} // namespace dilato
