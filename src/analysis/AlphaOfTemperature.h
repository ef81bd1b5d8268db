#pragma once
// α as a function of temperature from the ends of a test's steps:
//  - the technical (mean) α from the first step's temperature to each later step: the CTE of
//    that interval, with the expanded uncertainty of its budget (the same as a reported
//    result over that interval);
//  - the physical (instantaneous) α, dε/dT of a smooth polynomial through the steps' strains,
//    with the uncertainty of the fit's slope and the budget's proportional terms.
// Only the first leg of a test counts (the steps that go the same way from the first); a
// return leg would ask for α over a temperature interval of nothing. The physical curve is
// drawn between the leg's lowest and highest step temperatures and never beyond.

#include "analysis/StepEvidence.h"
#include "analysis/UncertaintyBudget.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

// Fewer steps do not make a curve: two give one interval, one value of α.
inline constexpr int kAlphaMinimumSteps = 3;
// The physical curve's highest polynomial degree.
inline constexpr int kAlphaMaximumDegree = 3;
// Points of the physical curve between the leg's ends (the step temperatures come on top).
inline constexpr int kAlphaCurvePoints = 41;

enum class AlphaError {
    TooFewSteps,       // the first leg has fewer than kAlphaMinimumSteps steps
    NoSampleLength,    // the sample length is not positive
    SameTemperature,   // two steps of the leg end at the same temperature
    FitFailed,         // the normal equations of the fit are singular
};

[[nodiscard]] std::string AlphaErrorText(AlphaError error);

// One value of α (10^-6 per °C) at a temperature (°C) with its expanded uncertainty (k = 2).
struct AlphaPoint {
    double temperature = 0.0;
    double alpha = 0.0;
    double expandedU = 0.0;
};

struct AlphaCurves {
    int legSteps = 0;          // steps of the first leg used
    int degree = 0;            // of the polynomial through the strains
    double birgeRatio = 0.0;   // of the fit: its scatter against the steps' own uncertainties
    std::vector<AlphaPoint> technical; // one per step after the first, at its end temperature
    std::vector<AlphaPoint> physical;  // over the leg's temperature range, in rising order
    // The strain ΔL/L0 of each step of the leg (the fixture correction included), and the
    // fitted polynomial's value there.
    std::vector<double> strains, fitted;
};

struct AlphaOutcome {
    std::optional<AlphaCurves> curves;
    std::optional<AlphaError> error;
    [[nodiscard]] bool ok() const { return curves.has_value(); }
};

// The polynomial degree for a leg of `steps` steps: at least one step more than the
// polynomial's coefficients, so that the fit's scatter is seen; never above 3.
[[nodiscard]] int AlphaDegree(int steps);

// The steps of the first leg: from the first step on, as long as the temperature keeps
// moving the same way.
[[nodiscard]] int FirstLegSteps(std::span<const StepEvidence> steps);

// α(T) of the test whose steps ended as `steps` (in run order), for a sample of
// `sampleLength` inches, with the system correction the test's results used (nullptr: the
// fixed fixture correction).
[[nodiscard]] AlphaOutcome AlphaOfTemperature(std::span<const StepEvidence> steps,
                                              double sampleLength,
                                              const ColumnCorrection* correction = nullptr,
                                              const InstrumentFigures& figures = {});

} // namespace dilato
