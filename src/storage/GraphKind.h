#pragma once
// What a plot shows (`GraphType`): displacement or temperature against time, or displacement
// against temperature. Its number is the position of its option on the Plotting Setup tab; a
// kind becomes a number, and a number a kind, only there.

#include "platform/NumberedMembers.h"

#include <array>
#include <optional>

namespace dilato {

enum class GraphKind : int {
    DisplacementTime = 0,
    TemperatureTime = 1,
    DisplacementTemperature = 2,
};

inline constexpr std::array<GraphKind, 3> kGraphKinds{
    GraphKind::DisplacementTime, GraphKind::TemperatureTime, GraphKind::DisplacementTemperature};

// The position of the kind's option (0, 1, 2).
[[nodiscard]] constexpr int OptionIndex(GraphKind kind) {
    return static_cast<int>(kind);
}

// The kind of the option at `index`; none for any other number.
[[nodiscard]] constexpr std::optional<GraphKind> GraphKindAt(int index) {
    return MemberNumbered(kGraphKinds, index);
}

// Whether `kind` is one of the three (a kind made from any other number is not).
[[nodiscard]] constexpr bool IsKnown(GraphKind kind) {
    return GraphKindAt(OptionIndex(kind)).has_value();
}

} // namespace dilato
