#pragma once
// Where a step's indicator is heading. After the fixture's fast movement has died out, a
// sample approaching the stage temperature moves as one exponential:
//     I(t) = I_inf + A * e^(-(t - t0) / tau).
// The fit takes the step's later readings, searches tau around the time constant expected of
// the sample (tauPrior) and solves I_inf and A for each tau by least squares. The fitted tau
// is used only when the readings resolve it (relative uncertainty <= 20 %, within 0.5 to 2
// times tauPrior, not at the end of the search); otherwise tauPrior stands, with 30 % of
// itself as its uncertainty. What is still to come is r = I_inf - I(now), with u(r) from the
// fit's covariance and, for tauPrior, from how r moves with tau.
//
// A window of many readings is first gathered into at most kFitBins bins of neighbouring
// readings, each fitted as the exact mean of the model over its readings, so a day of
// readings costs no more per tau than a few hundred.

#include "analysis/StepData.h"

#include <span>

namespace dilato {

// Readings the fit needs in its window.
inline constexpr int kEquilibriumMinReadings = 20;
inline constexpr int kFitBins = 240;
// The resolved-tau rule.
inline constexpr double kResolvedTauUncertainty = 0.20;
inline constexpr double kResolvedTauLow = 0.5, kResolvedTauHigh = 2.0;
// Uncertainty of tauPrior when it stands in for a fitted tau, fraction.
inline constexpr double kPriorTauUncertainty = 0.30;

struct EquilibriumFit {
    bool valid = false;              // enough readings in the window to fit
    int readings = 0;                // in the window
    double windowStart = 0.0;        // minutes of the step (counting on past a day)
    double windowEnd = 0.0;          // the latest reading's minutes
    double tauPrior = 0.0;           // minutes
    double fittedTau = 0.0;          // the best tau of the search, minutes
    double fittedTauUncertainty = 0; // its standard uncertainty, minutes (infinite: unresolved)
    bool tauAtBound = false;         // the search ended at one of its ends
    bool tauResolved = false;        // the fitted tau is used
    double tau = 0.0;                // the tau used, minutes
    double endValue = 0.0;           // I_inf, inches
    double endValueUncertainty = 0.0;
    double remaining = 0.0;          // r = I_inf - I(now), inches
    double remainingUncertainty = 0.0;
    double noiseSigma = 0.0;         // one reading's scatter about the model, inches

    [[nodiscard]] double windowMinutes() const { return windowEnd - windowStart; }
};

// Fits the readings of a step whose minutes (counted on past a day, as the step's clock does)
// are at least `windowStart`. `tauPrior` in minutes must be positive.
[[nodiscard]] EquilibriumFit FitEquilibrium(std::span<const Reading> readings, double windowStart,
                                            double tauPrior);

} // namespace dilato
