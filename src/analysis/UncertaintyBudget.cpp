#include "analysis/UncertaintyBudget.h"

#include "analysis/CteFormulas.h"

#include <cmath>

namespace dilato {

namespace {

const double kRootThree = std::sqrt(3.0);
const double kRootTwelve = std::sqrt(12.0);

// Two independent end values: the uncertainty of their difference.
double OfDifference(double a, double b) {
    return std::hypot(a, b);
}

} // namespace

double UncertaintyBudget::relative(double cte) const {
    return cte == 0.0 ? 0.0 : expanded / std::fabs(cte);
}

UncertaintyBudget BudgetFor(const StepEvidence& from, const StepEvidence& to, double cte,
                            double sampleLength, const InstrumentFigures& f) {
    UncertaintyBudget b;
    const double dT = std::fabs(static_cast<double>(to.endTemperature) - from.endTemperature);
    if (!(sampleLength > 0.0) || dT < 1e-5) return b;
    const double magnitude = std::fabs(cte);
    // An indicator uncertainty (inches) as an uncertainty of the CTE.
    const double perInch = 1e6 / (sampleLength * dT);

    b.sampleLength = magnitude * f.lengthHalfWidthInches / kRootThree / sampleLength;
    b.temperatureCalibration = magnitude * f.temperatureGainLimit / kRootThree;
    // Each end temperature is one reading: it scatters as the last readings did.
    b.temperatureStability = magnitude * OfDifference(from.tempSigma, to.tempSigma) / dT;
    const double resolution = f.indicatorResolutionInches / kRootTwelve;
    b.indicatorResolution = OfDifference(resolution, resolution) * perInch;
    b.indicatorNoise = OfDifference(from.indicatorSigma, to.indicatorSigma) * perInch;
    // The correction is per °C, so its error does not shrink with a wider interval.
    const double correctionPerDegree =
        std::fabs(static_cast<double>(SystemCorrection(1.0f, static_cast<float>(sampleLength))));
    b.fixtureCorrection =
        f.fixtureCorrectionFraction * correctionPerDegree / kRootThree / sampleLength * 1e6;
    // What the indicator would still have moved at each end is a bias the results keep (the
    // formulas take the readings as they are). Its two ends act on the change together, each
    // its own way, and the estimate of it is no bound: it counts whole, as one standard
    // uncertainty.
    b.residualDrift = std::fabs(to.remainingDrift - from.remainingDrift) * perInch;

    const double terms[] = {b.sampleLength,        b.temperatureCalibration, b.temperatureStability,
                            b.indicatorResolution, b.indicatorNoise,         b.fixtureCorrection,
                            b.residualDrift};
    double sum = 0.0;
    for (const double t : terms)
        sum += t * t;
    b.combined = std::sqrt(sum);
    b.expanded = UncertaintyBudget::kCoverageFactor * b.combined;
    return b;
}

} // namespace dilato
