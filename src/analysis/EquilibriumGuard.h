#pragma once
// When a step may end, judged from the fit of its approach to equilibrium (EquilibriumFit):
// the fit's window must start after the fixture has settled and cover enough of the approach
// (half a time constant, a whole one when the fitted tau is used), and what is still to come
// must be known to within a small part of the expansion of the smaller interval next to the
// step. With "wait for equilibrium" the movement still to come must itself be that small.
// These rules come on top of the drift criteria, never instead of them.

#include "analysis/EquilibriumFit.h"
#include "analysis/MaterialClass.h"

namespace dilato {

// The part of the expected expansion that may stay unknown: 0.5 % of |alpha|, and no less
// than 0.02 x 10^-6 per °C.
inline constexpr double kRemainingFraction = 0.005;
inline constexpr double kRemainingFloorCte = 0.02;
// The fixture's frame follows the stage with a lag of about three minutes, longer than a
// metal sample's own approach (about two). Fitted while the frame still moves, the frame's last
// movement passes for the sample's and the end value errs by a micro-inch or more, beyond what
// the fit's own uncertainty says. Twelve minutes (four lags) after a step began less than 2 %
// of the frame's movement is left: a step may not end on a window that starts earlier.
inline constexpr double kFixtureSettledMinutes = 12.0;
// Window the fit needs, in time constants: of tauPrior, and of a fitted tau.
inline constexpr double kWindowPriorTaus = 0.5;
inline constexpr double kWindowFittedTaus = 1.0;

// The largest uncertainty (and, waiting for equilibrium, the largest movement) still to come
// that a step may end with, inches: max(0.5 % of |alpha|, 0.02) x 10^-6 x L x dT, dT the
// smaller of the intervals to the neighbouring steps.
[[nodiscard]] double RemainingLimit(double alpha, double lengthInches, double smallerIntervalDegrees);

// A typical |alpha| of the class at the low end of its range (10^-6 per °C), for a first step
// whose expansion has not been seen yet; 0 for "unknown".
[[nodiscard]] double ClassLowAlpha(MaterialClass kind);

// The fit's window: the later half of the step, and never before the hold began (the stage's
// own approach is over by then, the sample's is not).
[[nodiscard]] double FitWindowStart(double stepMinutes, double holdStartMinutes);

// The step-end condition of the fit against `limit` (inches).
[[nodiscard]] bool EquilibriumReached(const EquilibriumFit& fit, double limit,
                                      bool waitForEquilibrium);

// The class, the stage's contact and the option, as the operator set them for the test.
struct EquilibriumSettings {
    MaterialClass kind = MaterialClass::Unknown;
    double contactSeconds = kDefaultContactSeconds;
    bool waitForEquilibrium = false;

    [[nodiscard]] bool active() const { return kind != MaterialClass::Unknown; }
};

// A step's equilibrium at its end: the latest fit, the limit it was held to, whether the
// condition was met, and the mean of the last temperatures that goes with I_inf.
struct StepEquilibrium {
    EquilibriumFit fit;
    double limit = 0.0;   // inches
    bool reached = false; // the step-end condition held at the end
    double meanTemperature = 0.0;
    // I_inf less the step's first reading: the whole movement of the step, inches.
    double stepMovement = 0.0;

    // What is still to come as a fraction of the step's movement (0 without a movement).
    [[nodiscard]] double remainingFraction() const;
    // Judges the step-end condition against `limit` (inches).
    void HoldTo(double limit, bool waitForEquilibrium);
};

// The equilibrium of a step from its readings so far (not yet held to a limit): the fit over
// the later part of the step and the mean of the last `temperatures` readings.
[[nodiscard]] StepEquilibrium JudgeEquilibrium(std::span<const Reading> readings,
                                               double windowStart, double tauPrior,
                                               int temperatures = 30);

} // namespace dilato
