#include "analysis/StepEvidence.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

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

    // The projection stored with the end reading, when it was usable; else the live drift.
    if (last.projectedIndicator > 0.0f)
        e.remainingDrift = std::fabs(static_cast<double>(last.projectedIndicator) - last.indicator);
    else
        e.remainingDrift =
            std::fabs(static_cast<double>(facts.liveSlope)) * 1e-6 / 10.0 * kFitWindowMinutes;
    return e;
}

} // namespace dilato
