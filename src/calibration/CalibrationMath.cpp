#include "calibration/CalibrationMath.h"

#include "platform/Format.h"

#include <cmath>
#include <numeric>
#include <stdexcept>

namespace dilato {

std::vector<int> CalibrationPlan() {
    std::vector<int> plan;
    for (int t = kCalLowerLimit; t <= kCalUpperLimit; t += kCalStep)
        plan.push_back(t);
    return plan;
}

bool ReadingsStable(std::span<const float> readings, int window) {
    if (window <= 0 || readings.size() < static_cast<size_t>(window) + 2) return false;
    const auto last = readings.last(static_cast<size_t>(window));
    const double mean = std::accumulate(last.begin(), last.end(), 0.0) / window;
    double sumDeviation = 0.0, largest = 0.0;
    for (const float r : last) {
        const double d = std::fabs(r - mean);
        sumDeviation += d;
        largest = std::max(largest, d);
    }
    return sumDeviation / window < 0.1 && largest < 0.2;
}

CalLine FitCalLine(std::span<const double> x, std::span<const double> y) {
    if (x.size() != y.size() || x.size() < 2)
        throw std::invalid_argument("a line needs at least two points");
    const double n = static_cast<double>(x.size());
    double sx = 0, sy = 0, sxy = 0, sxx = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxy += x[i] * y[i];
        sxx += x[i] * x[i];
    }
    const double denominator = n * sxx - sx * sx;
    if (denominator == 0) throw std::domain_error("Division by zero");
    CalLine line;
    line.slope = (n * sxy - sx * sy) / denominator;
    line.intercept = sy / n - (sx / n) * line.slope;
    return line;
}

bool CalLineAccepted(const CalLine& line) {
    return std::fabs(1.0 - line.slope) < 0.1 && std::fabs(line.intercept) < 5.0;
}

std::string CalField(double value) {
    std::string text = FormatNumber(value, "0.0") + "\xC2\xB0"
                                                    "C";
    // Count characters, not bytes: "°" is two bytes in the program's UTF-8 text.
    const size_t width = 8, characters = text.size() - 1;
    if (characters < width) return std::string(width - characters, ' ') + text;
    size_t drop = characters - width, i = 0;
    while (drop > 0) {
        i += (static_cast<unsigned char>(text[i]) == 0xC2) ? 2 : 1;
        --drop;
    }
    return text.substr(i);
}

} // namespace dilato
