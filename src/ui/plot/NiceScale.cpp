#include "ui/plot/NiceScale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace dilato {

namespace {

// Values that are a whole number apart from rounding noise count as whole.
constexpr double kWhole = 1e-9;

double FloorToStep(double value, double step) {
    return std::floor(value / step + kWhole) * step;
}

bool IsWholeMultiple(double k, int m) {
    const double q = k / m;
    return std::fabs(q - std::nearbyint(q)) < kWhole;
}

} // namespace

std::optional<AxisScale> NiceScale(double max, double min, double minSpan) {
    if (!std::isfinite(max) || !std::isfinite(min) || !std::isfinite(minSpan) || min >= max)
        return std::nullopt;

    const double range = std::fabs(max - min);
    if (minSpan > max) {
        max = minSpan;
        min -= 0.5 * minSpan;
    } else {
        min -= 0.05 * range;
        max += 0.05 * range;
    }

    // The rule sizes its step from the maximum. An axis ending at or below zero has no
    // logarithm there, and one reaching further below zero than above would get a step far
    // too fine: both are sized by their largest magnitude and start on a whole step.
    const bool byMagnitude = !(max > 0.0) || -min > max;
    const double magnitude = byMagnitude ? std::max(std::fabs(max), std::fabs(min)) : max;
    const int e = static_cast<int>(std::floor(std::log10(magnitude) + kWhole)) - 1;
    const double power = std::pow(10.0, e);
    max /= power;
    min /= power;
    const double sized = magnitude / power;

    // 0.01, 0.02, 0.05, 0.1, ... 500: the first step above a 25th of the axis.
    static constexpr std::array<double, 3> kMantissas{0.01, 0.02, 0.05};
    double d = 500.0;
    bool fives = true;
    for (int g = 0, found = 0; g <= 4 && !found; ++g)
        for (size_t i = 0; i < kMantissas.size(); ++i) {
            const double step = kMantissas[i] * std::pow(10.0, g);
            if (step > sized / 25.0) {
                d = step;
                fives = i == 2;
                found = 1;
                break;
            }
        }
    const int m = fives ? 2 : 5;

    double k = max / d;
    if (!IsWholeMultiple(k, m)) {
        k = std::floor(k / m) * m + m;
        const double f = k * d >= 1.0 ? 1.0 : 10.0;
        max = std::nearbyint(k * d * f) / f;
    }
    if (min > 0.0001) {
        min = FloorToStep(min, d);
        max = FloorToStep(max, d);
    } else if (byMagnitude) {
        min = FloorToStep(min, d);
    }

    return AxisScale{min * power, max * power, m * d * power, m - 1};
}

} // namespace dilato
