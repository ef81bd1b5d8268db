#include "analysis/StepEvidence.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace dilato {

namespace {

// Minutes of readings the straight-line drift is fitted over (50 readings, 6 s apart).
constexpr double kFitWindowMinutes = 5.0;

// Standard deviation of the residuals about a least-squares parabola (n - 3 degrees of
// freedom), solved in double precision about the window's centre.
double ParabolaScatter(std::span<const Reading> readings) {
    const auto n = static_cast<Eigen::Index>(readings.size());
    if (n < 4) return 0.0;
    double centre = 0.0;
    for (const Reading& r : readings)
        centre += r.elapsedMinutes;
    centre /= static_cast<double>(n);
    Eigen::MatrixXd a(n, 3);
    Eigen::VectorXd y(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const Reading& r = readings[static_cast<size_t>(i)];
        const double x = r.elapsedMinutes - centre;
        a(i, 0) = 1.0;
        a(i, 1) = x;
        a(i, 2) = x * x;
        y(i) = r.indicator;
    }
    const Eigen::VectorXd c = a.colPivHouseholderQr().solve(y);
    const double sum = (a * c - y).squaredNorm();
    return std::sqrt(sum / static_cast<double>(n - 3));
}

// Stored drift values averaged for one point of the drift's fall (a minute of readings).
constexpr size_t kDriftAverage = 10;
// The drift must have fallen at least this much to show a time constant.
constexpr double kClearFall = 1.5;

double MeanDrift(std::span<const Reading> readings, size_t end) {
    double sum = 0.0;
    for (size_t i = end + 1 - kDriftAverage; i <= end; ++i)
        sum += readings[i].liveSlope;
    return sum / static_cast<double>(kDriftAverage);
}

struct DecayingDrift {
    double tauMinutes = 0.0;
    double toCome = 0.0; // inches
};

// A sample approaching its temperature exponentially drifts less and less: d(t) = d0 e^(-t/tau),
// and what is still to come is d(t) * tau. tau follows from how much the stored drift fell
// between the end and half the drift's history before it (at least one fit window). Nothing
// when the drift shows no clear fall (a settled or noisy indicator).
std::optional<DecayingDrift> DecayingDriftToCome(std::span<const Reading> readings) {
    size_t first = 0;
    while (first < readings.size() && readings[first].liveSlope == 0.0f)
        ++first;
    if (readings.size() < first + 2 * kDriftAverage) return std::nullopt;
    const std::vector<double> minutes = UnwrappedMinutes(readings);
    const size_t last = readings.size() - 1;
    const size_t earliest = first + kDriftAverage - 1;
    const double span = minutes[last] - minutes[earliest];
    const double delta = std::max(kFitWindowMinutes, span / 2.0);
    if (delta > span) return std::nullopt;
    size_t then = last;
    while (then > earliest && minutes[last] - minutes[then] < delta)
        --then;
    const double before = MeanDrift(readings, then);
    const double now = MeanDrift(readings, last);
    if (before * now <= 0.0 || std::fabs(before) < kClearFall * std::fabs(now)) return std::nullopt;
    DecayingDrift d;
    d.tauMinutes = (minutes[last] - minutes[then]) / std::log(before / now);
    d.toCome = std::fabs(now) * 1e-6 / 10.0 * d.tauMinutes;
    return d;
}

// The same approach seen from the whole step: a sample that has grown by `seen` (inches) in
// `minutes` since its step began and still drifts by `drift` (inches per minute) approaches
// its end value as 1 - e^(-t/tau) with the tau that solves drift * tau * (e^(t/tau) - 1) = seen;
// what is still to come is drift * tau. Nothing when the drift runs against the growth.
std::optional<DecayingDrift> ApproachToCome(double seen, double drift, double minutes) {
    if (!(seen * drift > 0.0) || !(minutes > 0.0)) return std::nullopt;
    const double s = std::fabs(seen), d = std::fabs(drift);
    if (d * minutes >= s) return std::nullopt; // no slowing down to be seen
    // The left side falls as tau grows (from infinity to d * minutes): bisect on log(tau).
    double low = std::log(minutes / 700.0), high = std::log(minutes * 1e4);
    for (int i = 0; i < 100; ++i) {
        const double mid = (low + high) / 2.0;
        const double tau = std::exp(mid);
        const double shown = d * tau * std::expm1(minutes / tau);
        (shown > s ? low : high) = mid;
    }
    DecayingDrift a;
    a.tauMinutes = std::exp((low + high) / 2.0);
    a.toCome = d * a.tauMinutes;
    return a;
}

} // namespace

std::string EndingText(StepEnding ending) {
    switch (ending) {
    case StepEnding::DriftCriteria:
        return "drift criteria";
    case StepEnding::TimeLimit:
        return "time limit";
    case StepEnding::Operator:
        return "operator stop, criteria met";
    }
    return "unknown";
}

double StepEvidence::holdMinutes() const {
    if (facts.holdStartMinutes < 0) return 0.0;
    return std::max(0.0, facts.stepMinutes - facts.holdStartMinutes);
}

float StepEvidence::resultTemperature() const {
    return equilibrium && equilibrium->fit.valid ? static_cast<float>(equilibrium->meanTemperature)
                                                 : endTemperature;
}

float StepEvidence::resultIndicator() const {
    return equilibrium && equilibrium->fit.valid ? static_cast<float>(equilibrium->fit.endValue)
                                                 : endIndicator;
}

bool StepEvidence::atEquilibrium() const {
    if (facts.ending == StepEnding::TimeLimit) return false;
    return !equilibrium || equilibrium->reached;
}

double StepEvidence::stillToCome() const {
    if (!equilibrium || !equilibrium->fit.valid) return remainingDrift;
    // What may still come by the fit: its movement and twice its uncertainty (the bound the
    // step-end condition holds it to), or the drift's own estimate where that is more.
    const EquilibriumFit& f = equilibrium->fit;
    const double bound = std::fabs(f.remaining) + 2.0 * f.remainingUncertainty;
    if (std::fabs(remainingDrift) > bound) return remainingDrift;
    return std::copysign(bound, f.remaining != 0.0 ? f.remaining : remainingDrift);
}

StepEvidence GatherStepEvidence(const StepData& data, int step, const HoldFacts& facts) {
    StepEvidence e;
    e.step = step;
    e.facts = facts;
    const int end = EndOfStep(data, step);
    const Reading& last = data.reading(step, end);
    e.endTemperature = last.temperature;
    e.endIndicator = last.indicator;

    const std::span<const Reading> all = data.readings(step).first(static_cast<size_t>(end));
    const auto tail = [&](int count) {
        const size_t k = std::min(all.size(), static_cast<size_t>(count));
        return all.last(k);
    };

    const auto temps = tail(kEvidenceTempReadings);
    e.tempReadings = static_cast<int>(temps.size());
    if (!temps.empty()) {
        double mean = 0.0, low = temps.front().temperature, high = low;
        for (const Reading& r : temps) {
            mean += r.temperature;
            low = std::min(low, static_cast<double>(r.temperature));
            high = std::max(high, static_cast<double>(r.temperature));
        }
        mean /= static_cast<double>(temps.size());
        double squares = 0.0;
        for (const Reading& r : temps)
            squares += (r.temperature - mean) * (r.temperature - mean);
        e.tempSpread = high - low;
        e.tempSigma =
            temps.size() > 1 ? std::sqrt(squares / static_cast<double>(temps.size() - 1)) : 0.0;
    }

    const auto window = tail(kEvidenceNoiseReadings);
    e.noiseReadings = static_cast<int>(window.size());
    e.indicatorSigma = ParabolaScatter(window);

    // The projection stored with the end reading, when it was usable; else the live drift
    // over one fit window. A drift that was still falling as the sample took up heat says
    // more about a slow sample: the largest of them counts. Signed: the way the indicator
    // was still going.
    const double drift = static_cast<double>(last.liveSlope) * 1e-6 / 10.0; // inches a minute
    if (last.projectedIndicator > 0.0f)
        e.remainingDrift = static_cast<double>(last.projectedIndicator) - last.indicator;
    else
        e.remainingDrift = static_cast<double>(facts.liveSlope) * 1e-6 / 10.0 * kFitWindowMinutes;
    for (const auto& approach :
         {DecayingDriftToCome(all),
          ApproachToCome(static_cast<double>(last.indicator) - all.front().indicator, drift,
                         UnwrappedMinutes(all).back())}) {
        if (!approach || approach->toCome <= std::fabs(e.remainingDrift)) continue;
        e.driftTimeConstant = approach->tauMinutes;
        e.remainingDrift = std::copysign(approach->toCome, drift);
    }
    return e;
}

} // namespace dilato
