#include "Expansion.h"

#include <cmath>
#include <stdexcept>

namespace dilato::sim {

ExpansionCurve::ExpansionCurve(double alpha, std::string name)
    : points_{{0.0, alpha}, {1.0, alpha}}, name_(std::move(name)) {}

ExpansionCurve::ExpansionCurve(std::vector<Point> points, std::string name)
    : points_(std::move(points)), name_(std::move(name)) {
    if (points_.size() == 1) points_.push_back({points_[0].temp + 1.0, points_[0].alpha});
    if (points_.size() < 2) throw std::invalid_argument("an expansion curve needs a point");
    for (size_t i = 1; i < points_.size(); ++i)
        if (!(points_[i].temp > points_[i - 1].temp))
            throw std::invalid_argument("expansion curve points must rise in temperature");
}

double ExpansionCurve::alpha(double t) const {
    size_t i = 1;
    while (i + 1 < points_.size() && t > points_[i].temp)
        ++i;
    const Point& a = points_[i - 1];
    const Point& b = points_[i];
    return a.alpha + (b.alpha - a.alpha) * (t - a.temp) / (b.temp - a.temp);
}

double ExpansionCurve::primitive(double t) const {
    // Sum of trapezoids of the segments up to t; the end segments extend beyond the table.
    double sum = 0.0;
    const double t0 = points_.front().temp;
    if (t <= t0) {
        const double at = alpha(t);
        return -(at + points_.front().alpha) / 2.0 * (t0 - t);
    }
    for (size_t i = 1; i < points_.size(); ++i) {
        const double lo = points_[i - 1].temp;
        const bool last = i + 1 == points_.size();
        const double hi = last ? t : std::min(t, points_[i].temp);
        if (hi <= lo) break;
        sum += (alpha(lo) + alpha(hi)) / 2.0 * (hi - lo);
        if (hi >= t) break;
    }
    return sum;
}

double ExpansionCurve::integral(double t0, double t1) const {
    return primitive(t1) - primitive(t0);
}

double ExpansionCurve::meanAlpha(double t0, double t1) const {
    if (std::fabs(t1 - t0) < 1e-12) return alpha(t0);
    return integral(t0, t1) / (t1 - t0);
}

ExpansionCurve ExpansionCurve::Copper() {
    return ExpansionCurve(
        {{-30, 15.96}, {0, 16.38}, {20, 16.61}, {30, 16.72}, {50, 16.92}, {80, 17.19}}, "copper");
}
// The handbook's 23.1 near room temperature; the slope follows pure aluminium's curve
// (about 0.03 per °C when cold, 0.016 per °C toward 100 °C).
ExpansionCurve ExpansionCurve::Aluminium() {
    return ExpansionCurve({{-40, 21.7}, {0, 22.6}, {20, 23.1}, {50, 23.7}, {100, 24.5}},
                          "aluminium");
}
// About 0.55 near 300 K; vitreous silica's alpha falls on cooling (it crosses zero far below
// the stage's range).
ExpansionCurve ExpansionCurve::FusedSilica() {
    return ExpansionCurve({{-40, 0.30}, {0, 0.47}, {20, 0.53}, {50, 0.58}, {100, 0.63}},
                          "fused-silica");
}
// The handbook's 70-77 between room temperature and 50 °C; a glassy polymer's alpha keeps
// rising, faster as it nears its glass transition (about 105 °C).
ExpansionCurve ExpansionCurve::Pmma() {
    return ExpansionCurve({{-40, 55}, {0, 64}, {20, 70}, {50, 77}, {80, 84}, {100, 90}}, "pmma");
}

ExpansionCurve ExpansionCurve::Named(const std::string& name) {
    if (name == "copper") return Copper();
    if (name == "aluminium" || name == "aluminum") return Aluminium();
    if (name == "fused-silica") return FusedSilica();
    if (name == "pmma") return Pmma();
    size_t used = 0;
    double value = 0;
    try {
        value = std::stod(name, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != name.size())
        throw std::invalid_argument("unknown material '" + name +
                                    "' (copper, aluminium, fused-silica, pmma or a CTE)");
    return ExpansionCurve(value, name);
}

} // namespace dilato::sim
