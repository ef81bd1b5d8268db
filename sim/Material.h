#pragma once
// The sample materials of the simulated bench: how each expands (its alpha(T)) and how fast
// heat spreads through it (its thermal diffusivity), which decides how long a sample of a
// given length takes to follow the stage: a copper bar follows within minutes, a polymer bar
// of two inches takes hours.

#include "Expansion.h"

#include <string>

namespace dilato::sim {

struct Material {
    ExpansionCurve expansion;
    double diffusivity; // m^2 per second

    // Handbook thermal diffusivities (conductivity / (density * specific heat)).
    static constexpr double kCopperDiffusivity = 1.11e-4;
    static constexpr double kAluminiumDiffusivity = 6.9e-5; // 6061 alloy
    static constexpr double kFusedSilicaDiffusivity = 8.5e-7;
    static constexpr double kPmmaDiffusivity = 1.1e-7;

    // "copper", "aluminium" ("aluminum"), "fused-silica", "pmma", or a number: a constant
    // CTE in a metal that conducts like copper. std::invalid_argument for anything else.
    static Material Named(const std::string& name);
};

// The measuring fixture's frame: a silica glass whose alpha is about the 0.6 a fixed
// correction assumes near room temperature, and falls on cooling as glasses do.
[[nodiscard]] ExpansionCurve FixtureFrameExpansion();

} // namespace dilato::sim
