#pragma once
// The arithmetic of the stage calibration, free of instruments and windows: the plan of
// set points, the stability test over the latest stage readings, the straight-line fits with
// their acceptance limits, and the fields of the calibration record.

#include <span>
#include <string>
#include <vector>

namespace dilato {

inline constexpr int kCalUpperLimit = 90; // °C
inline constexpr int kCalLowerLimit = -10;
inline constexpr int kCalStep = 25;

// The lower limit and every step above it up to the upper limit: -10, 15, 40, 65, 90.
[[nodiscard]] std::vector<int> CalibrationPlan();

// Readings in the stability window: 20 with the serial calibrator, 60 with manual entry.
inline constexpr int kSerialStableWindow = 20;
inline constexpr int kManualStableWindow = 60;
// Stable when at least window + 2 readings are held and, over the last `window` of them, the
// mean absolute deviation from their mean is below 0.1 °C and the largest below 0.2 °C.
[[nodiscard]] bool ReadingsStable(std::span<const float> readings, int window);

struct CalLine {
    double slope = 1.0;
    double intercept = 0.0;
};
// The least-squares line y = slope * x + intercept (at least two points of distinct x).
[[nodiscard]] CalLine FitCalLine(std::span<const double> x, std::span<const double> y);
// A line is accepted when |1 - slope| < 0.1 and |intercept| < 5.
[[nodiscard]] bool CalLineAccepted(const CalLine& line);

// One temperature field of the record: the value with pattern "0.0" and "°C", right-aligned
// in 8 characters (a longer text keeps its last 8 characters).
[[nodiscard]] std::string CalField(double value);

} // namespace dilato
