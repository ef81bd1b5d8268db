#pragma once
// The kind of sample on the stage, as the operator names it: how fast heat spreads through it
// decides how long it takes to follow a new stage temperature, and so how long a step must
// last before the indicator's approach to its resting point can be judged. "unknown" leaves
// the step's end to the drift criteria alone.

#include <optional>
#include <string>
#include <string_view>

namespace dilato {

enum class MaterialClass { Unknown, Metal, Glass, Polymer };

// "metal", "glass", "polymer" or "unknown" (any case); nothing for any other text.
[[nodiscard]] std::optional<MaterialClass> ParseMaterialClass(std::string_view text);
[[nodiscard]] std::string MaterialClassName(MaterialClass kind);

// The stage's contact with a sample's foot, as the time constant it would give a sample that
// conducted perfectly (seconds). Measurable with a metal sample, whose own conduction is
// fast: its approach then shows the contact alone.
inline constexpr double kDefaultContactSeconds = 120.0;

// A thermal diffusivity typical of the class, m^2 per second (0 for "unknown").
[[nodiscard]] double ClassDiffusivity(MaterialClass kind);

// The time constant of the slowest part of a sample's approach to the stage temperature,
// minutes: a bar of length L heated through a contact at its foot, its top insulated, decays
// as L^2 / (a * lambda^2), lambda the first root of lambda * tan(lambda) = L^2 / (a * t_c).
// 0 for "unknown" or a length that is not positive.
[[nodiscard]] double PriorTimeConstantMinutes(MaterialClass kind, double lengthInches,
                                              double contactSeconds = kDefaultContactSeconds);

} // namespace dilato
