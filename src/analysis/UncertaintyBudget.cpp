#include "analysis/UncertaintyBudget.h"

#include "analysis/CteFormulas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

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

// The scatter of one end's indicator value with the resolution it carries (inches).
double EndIndicatorVariance(const StepEvidence& e, const InstrumentFigures& f) {
    const double resolution = Fitted(e) ? 0.0 : f.indicatorResolutionInches / kRootTwelve;
    const double sigma = EndIndicatorSigma(e);
    return sigma * sigma + resolution * resolution;
}

// The fixed correction per degree as a CTE, 10^-6 per °C.
double FixedCorrectionCte(double sampleLength) {
    const double perDegree =
        std::fabs(static_cast<double>(SystemCorrection(1.0f, static_cast<float>(sampleLength))));
    return perDegree / sampleLength * 1e6;
}

// The fixed correction's two standard uncertainties over t1..t2 (10^-6 per °C): the frame's
// own, the same in every result, and its alpha's over the interval.
struct FixedFixture {
    double frame = 0.0, alpha = 0.0;
};
FixedFixture FixedFixtureTerms(double t1, double t2, double sampleLength,
                               const InstrumentFigures& f) {
    const double perDegree = FixedCorrectionCte(sampleLength) / kRootThree;
    return {f.fixtureCorrectionFraction * perDegree, FrameAlphaBound(t1, t2, f) * perDegree};
}

} // namespace

double SystemCorrectionUncertainty(double t1, double t2, double sampleLength,
                                   const InstrumentFigures& f, const ColumnCorrection* correction) {
    if (correction)
        return correction->perDegreeUncertainty(t1, t2, sampleLength) / sampleLength * 1e6;
    return FixedFixtureUncertainty(t1, t2, sampleLength, f);
}

double GainFraction(const InstrumentFigures& f) {
    const double fractions[] = {f.temperatureGainLimit, f.indicatorGainFraction,
                                f.calibratorGainFraction, f.sampleStageFraction};
    double sum = 0.0;
    for (const double x : fractions)
        sum += x * x;
    return std::sqrt(sum) / kRootThree;
}

double FrameAlphaBound(double t1, double t2, const InstrumentFigures& f) {
    const double low = std::min(t1, t2), high = std::max(t1, t2);
    const double steady = f.frameAlphaSteadyFrom;
    // Below the steady range the bound grows straight from the tenth to the whole of the
    // correction at the temperature of no expansion.
    const double growth = (1.0 - f.frameAlphaFraction) / (steady - f.frameZeroExpansionTemp);
    if (high - low < 1e-9) return f.frameAlphaFraction + growth * std::max(0.0, steady - low);
    // The integral of max(0, steady - T) over the interval, then its mean.
    const double below = [&] {
        if (low >= steady) return 0.0;
        const double top = std::min(high, steady);
        return ((steady - low) * (steady - low) - (steady - top) * (steady - top)) / 2.0;
    }();
    return f.frameAlphaFraction + growth * below / (high - low);
}

double FixedFixtureUncertainty(double t1, double t2, double sampleLength,
                               const InstrumentFigures& f) {
    const FixedFixture fixed = FixedFixtureTerms(t1, t2, sampleLength, f);
    return std::hypot(fixed.frame, fixed.alpha);
}

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
    // The correction is per °C: the fixed one's error does not shrink with a wider interval
    // (a measured one's points' scatter does).
    b.fixtureCorrection = SystemCorrectionUncertainty(
        from.resultTemperature(), to.resultTemperature(), sampleLength, f, correction);
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

double CombinedUncertaintyOf(std::span<const WeightedCte> ctes, double sampleLength,
                             const InstrumentFigures& f, const ColumnCorrection* correction) {
    if (!(sampleLength > 0.0)) return 0.0;
    // Per step end: how much the sum moves per inch of its indicator value and per °C of its
    // temperature, and the end itself.
    struct End {
        const StepEvidence* evidence = nullptr;
        double perInch = 0.0, perDegree = 0.0;
    };
    std::map<int, End> ends;
    double sum = 0.0, weights = 0.0, frameAlpha = 0.0;
    // A measured correction: how the sum moves with each of its points (inches per °C per
    // inch), the points being independent of each other and of the test's steps.
    std::vector<double> pointWeights;
    for (const WeightedCte& c : ctes) {
        const double dT =
            static_cast<double>(c.to.resultTemperature()) - c.from.resultTemperature();
        if (std::fabs(dT) < 1e-5) continue;
        sum += c.weight * c.cte;
        weights += c.weight;
        if (correction) {
            const auto each = correction->pointSensitivities(c.from.resultTemperature(),
                                                             c.to.resultTemperature());
            pointWeights.resize(each.size(), 0.0);
            for (size_t i = 0; i < each.size(); ++i)
                pointWeights[i] += c.weight * each[i];
        } else {
            frameAlpha += c.weight * FixedFixtureTerms(c.from.resultTemperature(),
                                                       c.to.resultTemperature(), sampleLength, f)
                                         .alpha;
        }
        const double perInch = c.weight * 1e6 / (sampleLength * dT);
        const double perDegree = c.weight * c.cte / dT;
        for (const auto& [e, sign] : {std::pair{&c.to, 1.0}, std::pair{&c.from, -1.0}}) {
            End& end = ends[e->step];
            end.evidence = e;
            end.perInch += sign * perInch;
            end.perDegree -= sign * perDegree;
        }
    }
    double variance = 0.0, bias = 0.0;
    for (const auto& [step, end] : ends) {
        const double uT = EndTemperatureSigma(*end.evidence);
        variance += end.perInch * end.perInch * EndIndicatorVariance(*end.evidence, f) +
                    end.perDegree * end.perDegree * uT * uT;
        // The residual biases act together, each its own way, and count whole (as in the
        // budget of one result).
        bias += end.perInch * ResidualBias(*end.evidence);
    }
    // A measured correction took the instrument's fractions of its reference's expansion, so
    // they act on the difference from the reference's CTE alone (as in one result's budget).
    const double scaled = correction && correction->referenceAlpha()
                              ? std::fabs(sum - weights * *correction->referenceAlpha())
                              : std::fabs(sum);
    const double length = std::fabs(sum) * f.lengthHalfWidthInches / kRootThree / sampleLength;
    const double gain = scaled * GainFraction(f);
    const double proportional = std::hypot(length, gain);
    double fixture = 0.0;
    if (correction) {
        double points = 0.0;
        for (size_t i = 0; i < pointWeights.size(); ++i) {
            const double u = pointWeights[i] * correction->points()[i].sigma;
            points += u * u;
        }
        fixture = std::hypot(weights * correction->commonPerDegreeUncertainty(sampleLength),
                             std::sqrt(points)) /
                  sampleLength * 1e6;
    } else {
        fixture =
            std::hypot(weights * FixedFixtureTerms(0.0, 0.0, sampleLength, f).frame, frameAlpha);
    }
    return std::sqrt(variance + bias * bias + proportional * proportional + fixture * fixture);
}

double CorrelationOf(const WeightedCte& a, const WeightedCte& b, double sampleLength,
                     const InstrumentFigures& f, const ColumnCorrection* correction) {
    const WeightedCte one[] = {{a.from, a.to, a.cte, 1.0}};
    const WeightedCte other[] = {{b.from, b.to, b.cte, 1.0}};
    const WeightedCte both[] = {one[0], other[0]};
    const double ua = CombinedUncertaintyOf(one, sampleLength, f, correction);
    const double ub = CombinedUncertaintyOf(other, sampleLength, f, correction);
    if (ua <= 0.0 || ub <= 0.0) return 0.0;
    const double uSum = CombinedUncertaintyOf(both, sampleLength, f, correction);
    const double covariance = (uSum * uSum - ua * ua - ub * ub) / 2.0;
    return std::clamp(covariance / (ua * ub), -1.0, 1.0);
}

} // namespace dilato
