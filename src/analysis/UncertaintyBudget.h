#pragma once
// The expanded uncertainty (k = 2) of a CTE between the ends of two steps, from a budget of
// its sources. Each term is a standard uncertainty of the CTE in 10^-6 per °C; the terms are
// independent and add in quadrature. Two kinds of input feed it:
//  - the instrument's stated figures (InstrumentFigures: what its parts are known to within),
//  - what the two steps themselves showed (StepEvidence: scatter and remaining drift).
// It stands beside the accuracy estimate of the results table, which it does not change.

#include "analysis/ColumnCorrection.h"
#include "analysis/StepEvidence.h"

#include <span>

namespace dilato {

struct InstrumentFigures {
    // The sample length is kept to 0.001 in: half a digit either way (rectangular).
    double lengthHalfWidthInches = 0.0005;
    // The displacement sensor reports 0.0001 mm steps (0.1 µm); one reading is within half
    // a step (rectangular).
    double indicatorResolutionInches = 0.0001 / 25.4;
    // The stage temperature is calibrated against a reference thermocouple whose special
    // limits are 0.5 °C or 0.4 % of the reading. A constant offset cancels in a temperature
    // difference; the part proportional to the reading scales it (rectangular, fraction).
    double temperatureGainLimit = 0.004;
    // The fixed fixture correction (5.2 µin/°C, less 0.6 µin/°C per inch below 2 in) is the
    // expansion of a vitreous silica frame at 0.6 µin/in/°C. Two independent things keep a
    // real frame from it, each rectangular:
    //  - one instrument's frame against another's (the silica's grade, the frame's length and
    //    its fittings): a tenth of the correction either way, the same at every temperature;
    double fixtureCorrectionFraction = 0.10;
    //  - silica's alpha is not constant: from 0 to 100 °C it runs about a tenth either side of
    //    0.6; below 0 °C it falls faster, to none at the glass's minimum length near -80 °C
    //    (vitreous silica is shortest there: Souder and Hidnert's measurements of fused
    //    silica, NBS Scientific Paper 524). How far the frame's mean alpha over a result's
    //    interval may be from the constant is that bound averaged over the interval.
    double frameAlphaFraction = 0.10;
    double frameAlphaSteadyFrom = 0.0;     // °C: the tenth holds from here up
    double frameZeroExpansionTemp = -80.0; // °C: the whole of the correction there
    // The displacement sensor's gain and linearity: a change of the indicator is read to
    // within this fraction of itself (rectangular; a contact gauge good to about 1 µm over a
    // millimetre of travel).
    double indicatorGainFraction = 0.001;
    // The reference calibrator the stage is calibrated against: the part of its own error
    // that differs between calibration points scales a temperature difference (rectangular,
    // fraction; a handheld calibrator's 0.5 °C, a tenth of it not common to the points).
    double calibratorGainFraction = 0.0005;
    // The sample's mean temperature against the stage's reading at equilibrium: the heat it
    // exchanges with the air above makes the difference grow with the distance from the room
    // temperature (rectangular, fraction of a temperature difference).
    double sampleStageFraction = 0.002;
};

struct UncertaintyBudget {
    // Standard uncertainties of the CTE, 10^-6 per °C.
    double sampleLength = 0.0;
    double temperatureCalibration = 0.0;
    double temperatureStability = 0.0;
    double indicatorResolution = 0.0;
    double indicatorNoise = 0.0;
    double fixtureCorrection = 0.0;
    double residualDrift = 0.0;
    double indicatorGain = 0.0;
    double calibrator = 0.0;
    double sampleStage = 0.0;

    double combined = 0.0; // root sum of squares
    double expanded = 0.0; // k = 2
    static constexpr double kCoverageFactor = 2.0;

    // The expanded uncertainty as a fraction of |cte| (0 when the CTE is 0).
    [[nodiscard]] double relative(double cte) const;
};

// How far the fixed correction's frame may be from it over t1..t2 (°C), as a fraction of the
// correction: the bound on the frame's alpha averaged over the interval (at t1 alone when the
// two meet).
[[nodiscard]] double FrameAlphaBound(double t1, double t2, const InstrumentFigures& figures = {});

// The fixed correction's standard uncertainty over t1..t2 (10^-6 per °C) for a sample
// `sampleLength` inches long: another instrument's frame and the frame's alpha, in quadrature.
[[nodiscard]] double FixedFixtureUncertainty(double t1, double t2, double sampleLength,
                                             const InstrumentFigures& figures = {});

// The system correction's standard uncertainty over t1..t2 (10^-6 per °C): the measured
// correction's own where one is used, else the fixed one's.
[[nodiscard]] double SystemCorrectionUncertainty(double t1, double t2, double sampleLength,
                                                 const InstrumentFigures& figures,
                                                 const ColumnCorrection* correction);

// The instrument's gain figures that scale a CTE by a fraction of itself (or, on a measured
// correction, of its difference from the reference's), as one standard uncertainty fraction.
[[nodiscard]] double GainFraction(const InstrumentFigures& figures);

// The budget of the CTE `cte` from the end of step `from` to the end of step `to` for a
// sample of `sampleLength` inches. dT is taken from the two end temperatures. With the
// column's measured correction, its own uncertainty takes the fixed correction's place.
[[nodiscard]] UncertaintyBudget BudgetFor(const StepEvidence& from, const StepEvidence& to,
                                          double cte, double sampleLength,
                                          const InstrumentFigures& figures = {},
                                          const ColumnCorrection* correction = nullptr);

// A CTE between the ends of two steps with its weight in a sum of results (+1 and -1 for a
// difference).
struct WeightedCte {
    const StepEvidence& from;
    const StepEvidence& to;
    double cte = 0.0;
    double weight = 1.0;
};

// The standard uncertainty (10^-6 per °C) of the sum of weight * cte over `ctes`. Results that
// share a step share its end value: each step's end (told apart by its step number) is one
// source, its error carried into every result that uses it with that result's sensitivity,
// so that the sum keeps the correlation (two legs that turn at one step rise and fall
// together at it). The instrument's figures scale every result alike: their fractions act on
// the sum itself, and the fixture correction's frame (the same per degree in every result) on
// the sum of the weights; the frame's alpha over each result's interval is taken as one
// error, so that results over the same interval cancel in a difference. For one result of
// weight 1 it is that result's combined uncertainty.
[[nodiscard]] double CombinedUncertaintyOf(std::span<const WeightedCte> ctes, double sampleLength,
                                           const InstrumentFigures& figures = {},
                                           const ColumnCorrection* correction = nullptr);

// The correlation coefficient (-1 to 1) of two results, from the steps they share and the
// figures common to both; 0 when either has no uncertainty.
[[nodiscard]] double CorrelationOf(const WeightedCte& a, const WeightedCte& b,
                                   double sampleLength, const InstrumentFigures& figures = {},
                                   const ColumnCorrection* correction = nullptr);

} // namespace dilato
