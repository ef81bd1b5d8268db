#include "Bench.h"

#include <algorithm>
#include <cmath>

namespace dilato::sim {

namespace {
constexpr double kMaxStepSeconds = 1.0;
constexpr double kMillimetresPerInch = 25.4;
} // namespace

double FixtureInchesPerDegree(double length) {
    double k = 0.0000052;
    if (length < 2.0) k -= (2.0 - length) * 0.0000006;
    return k;
}

StageTruth CalibrationTruth(const StageParams& s) {
    // set point = (actual * thermistorSlope + thermistorOffset - commandOffset) / commandSlope
    return {s.thermistorSlope / s.commandSlope,
            (s.thermistorOffset - s.commandOffset) / s.commandSlope, 1.0 / s.thermistorSlope,
            -s.thermistorOffset / s.thermistorSlope};
}

double SettledStageTemp(const StageParams& s, double setPoint) {
    const double slope = s.thermistorSlope != 0 ? s.thermistorSlope : 1.0;
    return std::clamp(
        (setPoint * s.commandSlope + s.commandOffset - s.thermistorOffset) / slope, s.minTemp,
        s.maxTemp);
}

Bench::Bench(BenchParams params, double startSeconds)
    : p_(std::move(params)), noise_(p_.seed), start_(startSeconds), time_(startSeconds),
      setPoint_((p_.stage.ambient * p_.stage.thermistorSlope + p_.stage.thermistorOffset -
                 p_.stage.commandOffset) /
                (p_.stage.commandSlope != 0 ? p_.stage.commandSlope : 1.0)),
      stage_(p_.stage.ambient), sample_(p_.stage.ambient) {}

void Bench::setControllerSetPoint(double degrees) {
    setPoint_ = degrees;
}

void Bench::advanceTo(double seconds) {
    const StageParams& s = p_.stage;
    const double target = SettledStageTemp(s, setPoint_);
    const double tau = std::max(s.tauSeconds, 1e-3);
    const double lag = std::max(p_.sample.lagSeconds, 1e-3);
    while (time_ < seconds) {
        const double h = std::min(kMaxStepSeconds, seconds - time_);
        // Exact exponential approach for the stage; the sample follows the stage's mean
        // temperature over the step.
        const double decay = std::exp(-h / tau);
        const double mean = target + (stage_ - target) * tau / h * (1.0 - decay);
        stage_ = target + (stage_ - target) * decay;
        sample_ = mean + (sample_ - mean) * std::exp(-h / lag);
        time_ += h;
    }
}

double Bench::thermistorReading() {
    const StageParams& s = p_.stage;
    return stage_ * s.thermistorSlope + s.thermistorOffset + noise_.gaussian(s.noiseSigma);
}

double Bench::heatSinkReading() {
    // The heat sink warms by a fraction of the heat pumped away from a cold stage.
    const double ambient = p_.stage.ambient;
    return ambient + 0.15 * (ambient - stage_) * (stage_ < ambient ? 1.0 : -0.3) +
           noise_.gaussian(p_.stage.noiseSigma);
}

double Bench::trueIndicatorMillimetres() const {
    const SampleParams& s = p_.sample;
    const double t0 = p_.stage.ambient;
    const double sampleInches = s.lengthInches * 1e-6 * s.expansion.integral(t0, sample_);
    const double fixtureInches = FixtureInchesPerDegree(s.lengthInches) * (sample_ - t0);
    const double driftMm = s.driftMicronsPerHour * 1e-3 * (time_ - start_) / 3600.0;
    return s.baseMillimetres + (sampleInches - fixtureInches) * kMillimetresPerInch + driftMm;
}

double Bench::indicatorMillimetres() {
    return trueIndicatorMillimetres() + noise_.gaussian(p_.sample.noiseMicrons * 1e-3);
}

double Bench::calibratorReading() {
    return stage_ + p_.calibrator.errorDegrees + noise_.gaussian(p_.calibrator.noiseSigma);
}

} // namespace dilato::sim
