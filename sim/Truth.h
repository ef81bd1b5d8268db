#pragma once
// The simulated truth: what a perfect measurement of a simulated sample finds, for tests and
// benchmarks that compare the program's results with it.
//
//   const BenchParams bench = SimulatedSampleBench({"pmma", 2.0, 7});
//   ... run the program against SimInstruments(clock, bench) ...
//   const SampleTruth truth(bench);
//   truth.meanAlpha(T1, T2);   // the CTE between the end temperatures T1 and T2 of two steps
//
// meanAlpha is the sample's own: (1 / (T2 - T1)) * integral of alpha(T) from T1 to T2, in
// 10^-6 per °C. The program cannot reach it exactly even with perfect readings: it corrects
// every indicator change for the fixture by a fixed amount per degree, while the simulated
// fixture's frame expands by its own alpha(T) over its own length. fixtureResidual is what
// that leaves in a CTE; idealReportedCte the sum of the two, what a noiseless, fully settled
// test reports. Take T1 and T2 as the actual stage temperatures (actualStageTemp turns an
// uncalibrated thermistor reading into one); the program's reported temperatures are off by
// its calibration's residue, which shifts the interval but hardly changes its mean alpha.
//
// The truth depends on the material, the sample's length and the fixture, never on the seed:
// the seed draws only the noise of the readings (the same seed gives the same readings on
// every machine).

#include "Bench.h"

#include <cstdint>
#include <string>

namespace dilato::sim {

struct SimulatedSample {
    std::string material = "copper"; // copper, aluminium, fused-silica, pmma, or a CTE
    double lengthInches = 2.0;
    uint64_t seed = 1;
};

// The bench of that sample, with the default stage, fixture, noise and calibrator.
[[nodiscard]] BenchParams SimulatedSampleBench(const SimulatedSample& sample);

// The fixture correction the program applies to an indicator change over dT for a sample of
// that length, inches (the fixed amount the simulated frame does not follow exactly).
[[nodiscard]] double ProgramFixtureCorrection(double dT, double lengthInches);

class SampleTruth {
  public:
    explicit SampleTruth(BenchParams bench);

    [[nodiscard]] double alpha(double temp) const;
    [[nodiscard]] double meanAlpha(double t1, double t2) const;
    // The error the fixed fixture correction leaves in a CTE over [t1, t2], 10^-6 per °C,
    // for the sample's true length entered as the sample length.
    [[nodiscard]] double fixtureResidual(double t1, double t2) const;
    [[nodiscard]] double idealReportedCte(double t1, double t2) const;
    // The sample's slowest thermal time constant, seconds (see ThermalTimeConstant).
    [[nodiscard]] double thermalTimeConstantSeconds() const;
    // The actual stage temperature behind an uncalibrated thermistor reading, °C.
    [[nodiscard]] double actualStageTemp(double thermistorReading) const;

    [[nodiscard]] const BenchParams& bench() const { return bench_; }

  private:
    BenchParams bench_;
};

} // namespace dilato::sim
