#pragma once
// One pass of the tick: shows the latest readings, then hands the tick to the stage
// calibration (in calibration mode) or to the sequencer, starting a test that the Start
// button asked for. A running test is first stopped through the instrument abort when an
// instrument has given no reading for too long or the sensor reads below zero.

#include "core/Sequencer.h"
#include "core/TestStart.h"

#include <functional>

namespace dilato {

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

    SequencerContext c_;
    Sequencer& sequencer_;
    TestStart& start_;
    std::function<void()> calibrationStep_;
};

} // namespace dilato
