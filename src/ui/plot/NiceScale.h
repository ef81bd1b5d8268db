#pragma once
// The axis scaling rule of the plots: a little room around the data, an increment of 1, 2 or
// 5 times a power of ten grouped into major ticks, and an axis end on a whole number of
// increments.

#include <optional>

namespace dilato {

struct AxisScale {
    double min = 0.0;
    double max = 0.0;
    double increment = 0.0; // between labelled ticks
    int minorTicks = 0;     // minor ticks between two labelled ones
};

// Scales [min, max] with a minimum span `minSpan`: when minSpan exceeds max the axis runs up to
// minSpan and its minimum is lowered by half of it, otherwise 5 % of the range is added on both
// sides. Nothing to scale (nullopt) when min >= max or a value is not finite.
// An axis that still ends at or below zero has no logarithm to size its step from; it (and one
// that reaches further below zero than above) is sized by its largest magnitude instead and
// its minimum rounded down to a whole step too.
[[nodiscard]] std::optional<AxisScale> NiceScale(double max, double min, double minSpan);

} // namespace dilato
