#include "analysis/EquilibriumGuard.h"

#include <algorithm>
#include <cmath>

namespace dilato {

double RemainingLimit(double alpha, double lengthInches, double smallerIntervalDegrees) {
    const double perDegree = std::max(kRemainingFraction * std::fabs(alpha), kRemainingFloorCte);
    return perDegree * 1e-6 * lengthInches * std::fabs(smallerIntervalDegrees);
}

double ClassLowAlpha(MaterialClass kind) {
    // Steels and nickel alloys about 10 (copper 17, aluminium 23); fused silica 0.5 (other
    // glasses up to 9); unfilled polymers from about 50 (PMMA 70).
    switch (kind) {
    case MaterialClass::Metal:
        return 10.0;
    case MaterialClass::Glass:
        return 0.5;
    case MaterialClass::Polymer:
        return 50.0;
    case MaterialClass::Unknown:
        break;
    }
    return 0.0;
}

double FitWindowStart(double stepMinutes, double holdStartMinutes) {
    return std::max(stepMinutes / 2.0, holdStartMinutes);
}

bool EquilibriumReached(const EquilibriumFit& fit, double limit, bool waitForEquilibrium) {
    if (!fit.valid) return false;
    if (fit.windowStart < kFixtureSettledMinutes) return false;
    const double taus = fit.tauResolved ? kWindowFittedTaus : kWindowPriorTaus;
    if (fit.windowMinutes() < taus * fit.tau) return false;
    const double u = fit.remainingUncertainty;
    if (!(2.0 * u <= limit)) return false;
    return !waitForEquilibrium || std::fabs(fit.remaining) + 2.0 * u <= limit;
}

double StepEquilibrium::remainingFraction() const {
    return stepMovement != 0.0 ? fit.remaining / stepMovement : 0.0;
}

void StepEquilibrium::HoldTo(double limitInches, bool waitForEquilibrium) {
    limit = limitInches;
    reached = EquilibriumReached(fit, limit, waitForEquilibrium);
}

StepEquilibrium JudgeEquilibrium(std::span<const Reading> readings, double windowStart,
                                 double tauPrior, int temperatures) {
    StepEquilibrium e;
    e.fit = FitEquilibrium(readings, windowStart, tauPrior);
    if (readings.empty()) return e;
    const size_t count = std::min(readings.size(), static_cast<size_t>(std::max(1, temperatures)));
    double sum = 0.0;
    for (const Reading& r : readings.last(count))
        sum += r.temperature;
    e.meanTemperature = sum / static_cast<double>(count);
    if (e.fit.valid) e.stepMovement = e.fit.endValue - readings.front().indicator;
    return e;
}

} // namespace dilato
