#include "Truth.h"

#include <cmath>

namespace dilato::sim {

BenchParams SimulatedSampleBench(const SimulatedSample& sample) {
    BenchParams bench;
    bench.sample.setMaterial(Material::Named(sample.material));
    bench.sample.lengthInches = sample.lengthInches;
    bench.seed = sample.seed;
    return bench;
}

double ProgramFixtureCorrection(double dT, double length) {
    // 5.2 µin per °C, 0.6 µin per °C less for each inch the sample is shorter than 2 in.
    double perDegree = 0.0000052;
    if (length < 2.0) perDegree -= (2.0 - length) * 0.0000006;
    return dT * perDegree;
}

SampleTruth::SampleTruth(BenchParams bench) : bench_(std::move(bench)) {}

double SampleTruth::alpha(double temp) const {
    return bench_.sample.expansion.alpha(temp);
}

double SampleTruth::meanAlpha(double t1, double t2) const {
    return bench_.sample.expansion.meanAlpha(t1, t2);
}

double SampleTruth::fixtureResidual(double t1, double t2) const {
    const double length = bench_.sample.lengthInches;
    const double dT = t2 - t1;
    const FixtureParams& f = bench_.fixture;
    const double frameMeanAlpha = f.expansion.meanAlpha(t1, t2);
    const double frame = (length + f.reachInches) * 1e-6 * frameMeanAlpha; // inches per °C
    if (std::fabs(dT) < 1e-9) return (ProgramFixtureCorrection(1.0, length) - frame) / length * 1e6;
    return (ProgramFixtureCorrection(dT, length) / dT - frame) / length * 1e6;
}

double SampleTruth::idealReportedCte(double t1, double t2) const {
    return meanAlpha(t1, t2) + fixtureResidual(t1, t2);
}

double SampleTruth::thermalTimeConstantSeconds() const {
    return ThermalTimeConstant(bench_.sample);
}

double SampleTruth::actualStageTemp(double reading) const {
    const StageParams& s = bench_.stage;
    return (reading - s.thermistorOffset) / (s.thermistorSlope != 0 ? s.thermistorSlope : 1.0);
}

} // namespace dilato::sim
