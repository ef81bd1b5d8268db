#include "analysis/MaterialClass.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace dilato {

namespace {

constexpr double kMetresPerInch = 0.0254;

// Handbook thermal diffusivities (conductivity / (density * specific heat)), m^2 per second:
// metals from stainless steel (about 4 mm^2/s) to copper (111); iron's 23 stands for them, the
// contact dominating their approach anyway. Fused silica 0.85 (1.4 W/m K, 2200 kg/m^3,
// 740 J/kg K), soda-lime glass 0.8; PMMA 0.11, most unfilled polymers 0.1 to 0.2.
constexpr double kMetal = 23e-6;
constexpr double kGlass = 0.8e-6;
constexpr double kPolymer = 0.11e-6;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

} // namespace

std::optional<MaterialClass> ParseMaterialClass(std::string_view text) {
    const std::string name = Lower(text);
    for (const MaterialClass kind : {MaterialClass::Unknown, MaterialClass::Metal,
                                     MaterialClass::Glass, MaterialClass::Polymer})
        if (name == MaterialClassName(kind)) return kind;
    return std::nullopt;
}

std::string MaterialClassName(MaterialClass kind) {
    switch (kind) {
    case MaterialClass::Metal:
        return "metal";
    case MaterialClass::Glass:
        return "glass";
    case MaterialClass::Polymer:
        return "polymer";
    case MaterialClass::Unknown:
        break;
    }
    return "unknown";
}

double ClassDiffusivity(MaterialClass kind) {
    switch (kind) {
    case MaterialClass::Metal:
        return kMetal;
    case MaterialClass::Glass:
        return kGlass;
    case MaterialClass::Polymer:
        return kPolymer;
    case MaterialClass::Unknown:
        break;
    }
    return 0.0;
}

double PriorTimeConstantMinutes(MaterialClass kind, double lengthInches, double contactSeconds) {
    const double a = ClassDiffusivity(kind);
    if (!(a > 0.0) || !(lengthInches > 0.0)) return 0.0;
    const double length = lengthInches * kMetresPerInch;
    const double conduction = length * length / a; // seconds
    double lambda = std::numbers::pi / 2.0;        // a perfect contact
    if (contactSeconds > 0.0) {
        // lambda * tan(lambda) rises from 0 to infinity over (0, pi/2): bisect.
        const double biot = conduction / contactSeconds;
        double low = 0.0, high = std::numbers::pi / 2.0;
        for (int i = 0; i < 100; ++i) {
            const double mid = (low + high) / 2.0;
            (mid * std::tan(mid) < biot ? low : high) = mid;
        }
        lambda = (low + high) / 2.0;
    }
    return conduction / (lambda * lambda) / 60.0;
}

} // namespace dilato
