#pragma once
// Linear thermal expansion of sample materials: the coefficient alpha(T) in 10^-6 per °C as a
// piecewise-linear curve through tabulated points (continued along the end segments beyond
// them), and its exact integral, so that the CTE between two temperatures comes out as the
// mean of alpha over the interval.

#include <string>
#include <vector>

namespace dilato::sim {

class ExpansionCurve {
  public:
    struct Point {
        double temp;  // °C
        double alpha; // 10^-6 per °C
    };
    // A constant coefficient.
    explicit ExpansionCurve(double alpha, std::string name = "constant");
    // Points in rising temperature; beyond the ends the end segments continue.
    ExpansionCurve(std::vector<Point> points, std::string name);

    [[nodiscard]] double alpha(double temp) const;
    // The integral of alpha from t0 to t1 (10^-6, i.e. the relative length change times 10^6).
    [[nodiscard]] double integral(double t0, double t1) const;
    // (1 / (t1 - t0)) times the integral: the CTE a perfect measurement between t0 and t1 finds.
    [[nodiscard]] double meanAlpha(double t0, double t1) const;
    [[nodiscard]] const std::string& name() const { return name_; }

    // Reference materials. Copper is NIST's certified fit; the others are handbook values at
    // room temperature with the rise of alpha that each kind of material shows.
    static ExpansionCurve Copper();      // certified fit: -30 °C 15.96 ... 80 °C 17.19
    static ExpansionCurve Aluminium();   // 23.1 at 20 °C, rising about 0.02 per °C
    static ExpansionCurve FusedSilica(); // 0.55 near 300 K, smaller when cold
    static ExpansionCurve Pmma();        // 70 at 20 °C, 77 at 50 °C, rising toward the glass
    // "copper", "aluminium", "fused-silica", "pmma" or a number; throws
    // std::invalid_argument for anything else.
    static ExpansionCurve Named(const std::string& name);

  private:
    // The antiderivative from the first point's temperature.
    [[nodiscard]] double primitive(double t) const;
    std::vector<Point> points_;
    std::string name_;
};

} // namespace dilato::sim
