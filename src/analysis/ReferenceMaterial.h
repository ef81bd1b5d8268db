#pragma once
// Certified reference materials: how each expands with temperature, where the figures come
// from and how well they are known. The program ships the certified ones; a lab adds its own
// certified specimen as a plain text file (ParseLabReferenceMaterial). A reference run uses
// one of them to learn the column's own expansion (see ColumnCorrection).

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

// The stage's range, over which every reference material must give its alpha.
inline constexpr double kReferenceLowTemp = -35.0;
inline constexpr double kReferenceHighTemp = 110.0;

struct ReferenceMaterial {
    std::string name;        // what the operator picks: "SRM736"
    std::string description; // "copper (NIST SRM 736)"
    std::string certificate; // the certificate's number or name
    std::string source;      // where the figures come from
    // alpha(T) as points (°C, 10^-6 per °C), straight between them and along the end
    // segments beyond; or, with `rational` set, the certified rational function of the
    // absolute temperature (b1..b7 of (b1 + b2 x + b3 x^2 + b4 x^3) / (1 + b5 x + b6 x^2 +
    // b7 x^3), x in kelvin).
    std::vector<std::pair<double, double>> table;
    std::optional<std::array<double, 7>> rational;
    // Standard uncertainty of alpha, 10^-6 per °C: what the certificate leaves open.
    double alphaUncertainty = 0.0;
    // False for a name the program knows but whose certified figures it does not ship: the
    // lab supplies them from its certificate (a file of its own of that name).
    bool figures = true;

    [[nodiscard]] double alpha(double temp) const;
    // The integral of alpha from t0 to t1 (10^-6: the relative length change times 10^6).
    [[nodiscard]] double expansion(double t0, double t1) const;
    // The CTE a perfect measurement between t0 and t1 finds.
    [[nodiscard]] double meanAlpha(double t0, double t1) const;
};

// The shipped certified materials: SRM736, SRM739, SRM731 (in that order).
[[nodiscard]] std::span<const ReferenceMaterial> ShippedReferenceMaterials();
// The shipped entry of that name (case-insensitive), or nothing.
[[nodiscard]] const ReferenceMaterial* ShippedReferenceMaterial(const std::string& name);

// A lab's certified specimen, from its file's lines:
//   Reference material: <name>
//   Description: <text>                    (optional)
//   Certificate: <number>
//   Uncertainty: <standard uncertainty of alpha, 10^-6 per °C>
//   Alpha: <°C> <10^-6 per °C>             (two or more, rising temperatures, covering
//                                           kReferenceLowTemp..kReferenceHighTemp)
// Blank lines and lines starting with '#' are skipped; anything else is refused with the
// reason in `error`.
[[nodiscard]] std::optional<ReferenceMaterial>
ParseLabReferenceMaterial(std::span<const std::string> lines, std::string& error);

// A strict number: the whole text (blanks around it allowed) is one finite decimal number.
[[nodiscard]] std::optional<double> StrictNumber(const std::string& text);

} // namespace dilato
