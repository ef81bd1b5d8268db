#include "Material.h"

namespace dilato::sim {

Material Material::Named(const std::string& name) {
    ExpansionCurve expansion = ExpansionCurve::Named(name);
    double diffusivity = kCopperDiffusivity;
    if (expansion.name() == "aluminium")
        diffusivity = kAluminiumDiffusivity;
    else if (expansion.name() == "fused-silica")
        diffusivity = kFusedSilicaDiffusivity;
    else if (expansion.name() == "pmma")
        diffusivity = kPmmaDiffusivity;
    return {std::move(expansion), diffusivity};
}

ExpansionCurve FixtureFrameExpansion() {
    return ExpansionCurve({{-40, 0.47}, {0, 0.56}, {20, 0.59}, {50, 0.615}, {100, 0.64}},
                          "fixture frame");
}

} // namespace dilato::sim
