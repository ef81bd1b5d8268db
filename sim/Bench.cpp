#include "Bench.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace dilato::sim {

namespace {

constexpr double kMaxStepSeconds = 1.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kMetresPerInch = 0.0254;
constexpr double kPi = 3.14159265358979323846;

double Diffusivity(const SampleParams& s) {
    return std::max(s.diffusivity, 1e-12);
}

double LengthMetres(const SampleParams& s) {
    return std::max(s.lengthInches, 1e-3) * kMetresPerInch;
}

} // namespace

double ThermalTimeConstant(const SampleParams& s) {
    // A wall heated through a contact at one face and insulated at the other: its slowest
    // mode decays with L^2 / (a * lambda^2), lambda the first root of lambda * tan(lambda) =
    // Bi, the Biot number being L^2 / (a * contact time constant). Without contact resistance
    // lambda = pi / 2 (0.405 L^2 / a); with a large one, L^2 / (a * lambda^2) tends to the
    // contact's own time constant.
    const double a = Diffusivity(s), length = LengthMetres(s);
    const double conduction = length * length / a;
    if (s.contactSeconds <= 0) return conduction * 4.0 / (kPi * kPi);
    const double biot = conduction / s.contactSeconds;
    double lo = 0.0, hi = kPi / 2.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2.0;
        (mid * std::tan(mid) < biot ? lo : hi) = mid;
    }
    const double lambda = (lo + hi) / 2.0;
    return conduction / (lambda * lambda);
}

StageTruth CalibrationTruth(const StageParams& s) {
    // set point = (actual * thermistorSlope + thermistorOffset - commandOffset) / commandSlope
    return {s.thermistorSlope / s.commandSlope,
            (s.thermistorOffset - s.commandOffset) / s.commandSlope, 1.0 / s.thermistorSlope,
            -s.thermistorOffset / s.thermistorSlope};
}

double SettledStageTemp(const StageParams& s, double setPoint) {
    const double slope = s.thermistorSlope != 0 ? s.thermistorSlope : 1.0;
    return std::clamp((setPoint * s.commandSlope + s.commandOffset - s.thermistorOffset) / slope,
                      s.minTemp, s.maxTemp);
}

Bench::Bench(BenchParams params, double startSeconds)
    : p_(std::move(params)), noise_(p_.seed), start_(startSeconds), time_(startSeconds),
      setPoint_((p_.stage.ambient * p_.stage.thermistorSlope + p_.stage.thermistorOffset -
                 p_.stage.commandOffset) /
                (p_.stage.commandSlope != 0 ? p_.stage.commandSlope : 1.0)),
      stage_(p_.stage.ambient), fixture_(p_.stage.ambient) {
    slices_.fill(p_.stage.ambient);
}

void Bench::setControllerSetPoint(double degrees) {
    setPoint_ = degrees;
}

double Bench::sampleTemp() const {
    return std::accumulate(slices_.begin(), slices_.end(), 0.0) / kSlices;
}

void Bench::advanceTo(double seconds) {
    const StageParams& s = p_.stage;
    const SampleParams& sample = p_.sample;
    const double target = SettledStageTemp(s, setPoint_);
    const double tau = std::max(s.tauSeconds, 1e-3);
    const double fixtureLag = std::max(p_.fixture.lagSeconds, 1e-3);
    // The sample in slices along its length. Heat enters the foot slice from the stage through
    // the contact and half a slice of the sample; each slice passes it on by conduction; the
    // top is insulated (still air in the vial). Implicit (backward Euler) steps stay stable
    // for any step length, which a copper slice of a few millimetres needs (its own time
    // constant is a fraction of a second) and which costs a polymer nothing.
    const double a = Diffusivity(sample);
    const double dx = LengthMetres(sample) / kSlices;
    const double footRate =
        1.0 / (std::max(sample.contactSeconds, 0.0) / kSlices + dx * dx / (2.0 * a));
    std::array<double, kSlices> upper{}, rhs{};
    while (time_ < seconds) {
        const double h = std::min(kMaxStepSeconds, seconds - time_);
        // Exact exponential approach for the stage; the sample's foot and the frame see its
        // mean temperature over the step.
        const double decay = std::exp(-h / tau);
        const double mean = target + (stage_ - target) * tau / h * (1.0 - decay);
        stage_ = target + (stage_ - target) * decay;
        fixture_ = mean + (fixture_ - mean) * std::exp(-h / fixtureLag);

        // (1 + h*foot + r) T0 - r T1 = T0' + h*foot*mean;  -r T(i-1) + (1 + 2r) Ti - r T(i+1)
        // = Ti';  -r T(n-2) + (1 + r) T(n-1) = T(n-1)'. Solved by the Thomas algorithm.
        const double r = a * h / (dx * dx);
        double diagonal = 1.0 + h * footRate + r;
        upper[0] = -r / diagonal;
        rhs[0] = (slices_[0] + h * footRate * mean) / diagonal;
        for (size_t i = 1; i < kSlices; ++i) {
            const double centre = (i + 1 == kSlices ? 1.0 + r : 1.0 + 2.0 * r);
            diagonal = centre + r * upper[i - 1];
            upper[i] = -r / diagonal;
            rhs[i] = (slices_[i] + r * rhs[i - 1]) / diagonal;
        }
        slices_[kSlices - 1] = rhs[kSlices - 1];
        for (size_t i = kSlices - 1; i-- > 0;)
            slices_[i] = rhs[i] - upper[i] * slices_[i + 1];
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

double Bench::sampleGrowthInches() const {
    // Each slice expands by the integral of alpha from the ambient temperature to its own.
    const SampleParams& s = p_.sample;
    const double t0 = p_.stage.ambient;
    double micro = 0.0;
    for (const double t : slices_)
        micro += s.expansion.integral(t0, t);
    return s.lengthInches * 1e-6 * micro / kSlices;
}

double Bench::fixtureGrowthInches() const {
    const FixtureParams& f = p_.fixture;
    return (p_.sample.lengthInches + f.reachInches) * 1e-6 *
           f.expansion.integral(p_.stage.ambient, fixture_);
}

double Bench::sensorGainNow() const {
    constexpr double kSecondsPerMonth = 30.44 * 86400.0;
    const SampleParams& s = p_.sample;
    const double months = (s.driftDays * 86400.0 + (time_ - start_)) / kSecondsPerMonth;
    return s.sensorGain * (1.0 + s.gainDriftPerMonth * months);
}

double Bench::trueIndicatorMillimetres() const {
    // The growing frame lifts the sensor away from the sample's top.
    const SampleParams& s = p_.sample;
    const double driftMm = s.driftMicronsPerHour * 1e-3 * (time_ - start_) / 3600.0;
    return s.baseMillimetres +
           (sampleGrowthInches() - fixtureGrowthInches()) * kMillimetresPerInch * sensorGainNow() +
           driftMm;
}

double Bench::indicatorMillimetres() {
    return trueIndicatorMillimetres() + noise_.gaussian(p_.sample.noiseMicrons * 1e-3);
}

double Bench::calibratorReading() {
    return stage_ + p_.calibrator.errorDegrees + noise_.gaussian(p_.calibrator.noiseSigma);
}

} // namespace dilato::sim
