#include "analysis/UncertaintyBudget.h"

#include "analysis/CteFormulas.h"

#include <cmath>

namespace dilato {

namespace {

const double kRootThree = std::sqrt(3.0);
const double kRootTwelve = std::sqrt(12.0);
// The exponential approach's model is good to a tenth of the correction it makes.
constexpr double kEquilibriumModelFraction = 0.10;

// Two independent end values: the uncertainty of their difference.
double OfDifference(double a, double b) {
    return std::hypot(a, b);
}

bool Fitted(const StepEvidence& e) {
    return e.equilibrium && e.equilibrium->fit.valid;
}

double EndTemperatureSigma(const StepEvidence& e) {
    if (!Fitted(e) || e.tempReadings < 1) return e.tempSigma;
    return e.tempSigma / std::sqrt(static_cast<double>(e.tempReadings));
}

double EndIndicatorSigma(const StepEvidence& e) {
    return Fitted(e) ? e.equilibrium->fit.endValueUncertainty : e.indicatorSigma;
}

// The part of the remaining movement the end value does not account for (signed, inches).
double ResidualBias(const StepEvidence& e) {
    return Fitted(e) ? kEquilibriumModelFraction * e.equilibrium->fit.remaining : e.remainingDrift;
}

} // namespace

double UncertaintyBudget::relative(double cte) const {
    return cte == 0.0 ? 0.0 : expanded / std::fabs(cte);
}

UncertaintyBudget BudgetFor(const StepEvidence& from, const StepEvidence& to, double cte,
                            double sampleLength, const InstrumentFigures& f,
                            const ColumnCorrection* correction) {
    UncertaintyBudget b;
    const double dT =
        std::fabs(static_cast<double>(to.resultTemperature()) - from.resultTemperature());
    if (!(sampleLength > 0.0) || dT < 1e-5) return b;
    const double magnitude = std::fabs(cte);
    // An indicator uncertainty (inches) as an uncertainty of the CTE.
    const double perInch = 1e6 / (sampleLength * dT);

    b.sampleLength = magnitude * f.lengthHalfWidthInches / kRootThree / sampleLength;
    // Each end temperature is one reading (it scatters as the last readings did), or at
    // equilibrium the mean of the last readings.
    b.temperatureStability =
        magnitude * OfDifference(EndTemperatureSigma(from), EndTemperatureSigma(to)) / dT;
    // An end value fitted through many readings carries their scatter, resolution steps
    // included, in its own uncertainty: counted once, there.
    const double resolution = f.indicatorResolutionInches / kRootTwelve;
    b.indicatorResolution = OfDifference(Fitted(from) ? 0.0 : resolution,
                                         Fitted(to) ? 0.0 : resolution) *
                            perInch;
    b.indicatorNoise = OfDifference(EndIndicatorSigma(from), EndIndicatorSigma(to)) * perInch;
    // The correction is per °C, so its error does not shrink with a wider interval.
    const double correctionPerDegree =
        std::fabs(static_cast<double>(SystemCorrection(1.0f, static_cast<float>(sampleLength))));
    b.fixtureCorrection =
        correction ? correction->perDegreeUncertainty(sampleLength) / sampleLength * 1e6
                   : f.fixtureCorrectionFraction * correctionPerDegree / kRootThree /
                         sampleLength * 1e6;
    // What the indicator would still have moved at each end is a bias the results keep (the
    // formulas take the readings as they are). Its two ends act on the change together, each
    // its own way, and the estimate of it is no bound: it counts whole, as one standard
    // uncertainty.
    // At equilibrium the movement still to come is in the end values already; what stays
    // uncertain is the model of the approach, a tenth of that correction.
    b.residualDrift = std::fabs(ResidualBias(to) - ResidualBias(from)) * perInch;

    // Fractions of the change itself: of the indicator's, and of the temperature's. A
    // measured correction took the same fractions of its reference's expansion, so on a
    // corrected result they act on the difference of the two CTEs alone.
    const double scaled = correction && correction->referenceAlpha()
                              ? std::fabs(cte - *correction->referenceAlpha())
                              : magnitude;
    b.temperatureCalibration = scaled * f.temperatureGainLimit / kRootThree;
    b.indicatorGain = scaled * f.indicatorGainFraction / kRootThree;
    b.calibrator = scaled * f.calibratorGainFraction / kRootThree;
    b.sampleStage = scaled * f.sampleStageFraction / kRootThree;

    const double terms[] = {b.sampleLength,        b.temperatureCalibration, b.temperatureStability,
                            b.indicatorResolution, b.indicatorNoise,         b.fixtureCorrection,
                            b.residualDrift,       b.indicatorGain,          b.calibrator,
                            b.sampleStage};
    double sum = 0.0;
    for (const double t : terms)
        sum += t * t;
    b.combined = std::sqrt(sum);
    b.expanded = UncertaintyBudget::kCoverageFactor * b.combined;
    return b;
}

} // namespace dilato
