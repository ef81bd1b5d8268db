#pragma once
// The three simulated instruments on one bench: the Temp-Stage controller, the displacement
// sensor and the reference calibrator, all measuring the same stage and sample. Time is in
// seconds of any origin; `startSeconds` is the bench's present moment.

#include "Bench.h"
#include "Calibrator.h"
#include "DisplacementSensor.h"
#include "TempStageController.h"

namespace dilato::sim {

class BenchInstruments {
  public:
    BenchInstruments(BenchParams params, double startSeconds)
        : bench(std::move(params), startSeconds), controller(bench), sensor(bench),
          calibrator(bench) {}
    BenchInstruments(const BenchInstruments&) = delete;
    BenchInstruments& operator=(const BenchInstruments&) = delete;

    Bench bench;
    TempStageController controller;
    DisplacementSensor sensor;
    ReferenceCalibrator calibrator;
};

} // namespace dilato::sim
