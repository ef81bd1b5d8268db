#pragma once
// The three simulated instruments on one bench: the Temp-Stage controller, the displacement
// sensor and the reference calibrator, all measuring the same stage and sample.

#include "Bench.h"
#include "Calibrator.h"
#include "DisplacementSensor.h"
#include "TempStageController.h"

#include "platform/Clock.h"

namespace dilato::sim {

class SimInstruments {
  public:
    SimInstruments(const Clock& clock, BenchParams params);

    Bench bench;
    TempStageController controller;
    DisplacementSensor sensor;
    ReferenceCalibrator calibrator;
};

} // namespace dilato::sim
