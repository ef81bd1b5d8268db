#include "analysis/AlphaOfTemperature.h"

#include "analysis/ColumnCorrection.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

const double kRootThree = std::sqrt(3.0);
const double kRootTwelve = std::sqrt(12.0);

double Temperature(const StepEvidence& s) { return static_cast<double>(s.resultTemperature()); }

// The strain of step `s` from step `first`: the indicator's change with the column's own
// expansion over the temperature change added (the test's measured correction, else the fixed
// one), over the sample length.
double Strain(const StepEvidence& first, const StepEvidence& s, double length,
              const ColumnCorrection* correction) {
    const double dI = static_cast<double>(s.resultIndicator()) - first.resultIndicator();
    return (dI + ColumnChange(Temperature(first), Temperature(s), length, correction)) / length;
}

// What a step's end strain is known to, standing alone (standard uncertainty): the scatter
// of its readings, the sensor's resolution, what was still to come, and the scatter of its
// temperature seen through the leg's mean α.
double StrainUncertainty(const StepEvidence& s, double length, double meanAlpha,
                         const InstrumentFigures& f) {
    const double resolution = f.indicatorResolutionInches / kRootTwelve;
    const double inches = std::sqrt(s.indicatorSigma * s.indicatorSigma +
                                    resolution * resolution +
                                    s.remainingDrift * s.remainingDrift);
    const double temperature = meanAlpha * 1e-6 * s.tempSigma;
    return std::sqrt(inches * inches / (length * length) + temperature * temperature);
}

// The budget's terms that act on α at every temperature alike, as one standard uncertainty:
// the length's share of α, the gains' (of α, or on a measured correction of α less its
// reference's, which took the same gains) and the system correction's at that temperature.
double SystematicUncertainty(double alpha, double t, double length, const InstrumentFigures& f,
                             const ColumnCorrection* correction) {
    const double gainOn =
        correction && correction->referenceAlpha() ? alpha - *correction->referenceAlpha() : alpha;
    const double lengthShare = alpha * f.lengthHalfWidthInches / length / kRootThree;
    return std::hypot(std::hypot(lengthShare, gainOn * GainFraction(f)),
                      SystemCorrectionUncertainty(t, t, length, f, correction));
}

} // namespace

std::string AlphaErrorText(AlphaError error) {
    switch (error) {
    case AlphaError::TooFewSteps:
        return "α(T) needs at least " + std::to_string(kAlphaMinimumSteps) +
               " steps in one direction from the first";
    case AlphaError::NoSampleLength:
        return "α(T) needs the sample length";
    case AlphaError::SameTemperature:
        return "two steps end at the same temperature";
    case AlphaError::FitFailed:
        return "the fit through the steps has no unique solution";
    }
    return "unknown";
}

int AlphaDegree(int steps) { return std::clamp(steps - 2, 1, kAlphaMaximumDegree); }

int FirstLegSteps(std::span<const StepEvidence> steps) {
    if (steps.size() < 2) return static_cast<int>(steps.size());
    const double direction = Temperature(steps[1]) - Temperature(steps[0]);
    size_t n = 2;
    while (n < steps.size() &&
           (Temperature(steps[n]) - Temperature(steps[n - 1])) * direction > 0.0)
        ++n;
    return static_cast<int>(n);
}

AlphaOutcome AlphaOfTemperature(std::span<const StepEvidence> steps, double length,
                                const ColumnCorrection* correction, const InstrumentFigures& f) {
    AlphaOutcome out;
    if (!(length > 0.0)) {
        out.error = AlphaError::NoSampleLength;
        return out;
    }
    const int n = FirstLegSteps(steps);
    if (n < kAlphaMinimumSteps) {
        out.error = AlphaError::TooFewSteps;
        return out;
    }
    const std::span<const StepEvidence> leg = steps.first(static_cast<size_t>(n));
    for (int i = 1; i < n; ++i)
        if (std::fabs(Temperature(leg[i]) - Temperature(leg[i - 1])) < 1e-5) {
            out.error = AlphaError::SameTemperature;
            return out;
        }

    AlphaCurves c;
    c.legSteps = n;
    c.degree = AlphaDegree(n);
    for (int i = 0; i < n; ++i)
        c.strains.push_back(Strain(leg[0], leg[i], length, correction));
    for (int i = 1; i < n; ++i) {
        const double dT = Temperature(leg[i]) - Temperature(leg[0]);
        const double alpha = c.strains[i] / dT * 1e6;
        c.technical.push_back({Temperature(leg[i]), alpha,
                               BudgetFor(leg[0], leg[i], alpha, length, f, correction).expanded});
    }

    // The fit in a scaled temperature x = (T - centre) / half-range, weighted by each step's
    // own uncertainty.
    const auto [lo, hi] = std::minmax_element(leg.begin(), leg.end(), [](const auto& a, const auto& b) {
        return Temperature(a) < Temperature(b);
    });
    const double tMin = Temperature(*lo), tMax = Temperature(*hi);
    const double centre = 0.5 * (tMin + tMax), half = 0.5 * (tMax - tMin);
    const double meanAlpha = std::fabs(c.technical.back().alpha);
    const int terms = c.degree + 1;
    Eigen::MatrixXd a(n, terms);
    Eigen::VectorXd y(n), w(n);
    for (int i = 0; i < n; ++i) {
        const double x = (Temperature(leg[i]) - centre) / half;
        for (int k = 0; k < terms; ++k)
            a(i, k) = std::pow(x, k);
        y(i) = c.strains[i];
        const double u = StrainUncertainty(leg[i], length, meanAlpha, f);
        w(i) = 1.0 / (u * u);
    }
    const Eigen::MatrixXd normal = a.transpose() * w.asDiagonal() * a;
    const Eigen::FullPivLU<Eigen::MatrixXd> lu(normal);
    if (lu.rank() < terms) {
        out.error = AlphaError::FitFailed;
        return out;
    }
    const Eigen::VectorXd coef = lu.solve(a.transpose() * w.asDiagonal() * y);
    const Eigen::VectorXd fitted = a * coef;
    double chi2 = 0.0;
    for (int i = 0; i < n; ++i) {
        c.fitted.push_back(fitted(i));
        chi2 += w(i) * (y(i) - fitted(i)) * (y(i) - fitted(i));
    }
    c.birgeRatio = std::sqrt(chi2 / (n - terms));
    // A fit that scatters more than the steps' own uncertainties say widens its own band.
    const Eigen::MatrixXd cov = lu.inverse() * std::max(1.0, c.birgeRatio * c.birgeRatio);

    std::vector<double> temps;
    for (int i = 0; i < kAlphaCurvePoints; ++i)
        temps.push_back(tMin + (tMax - tMin) * i / (kAlphaCurvePoints - 1));
    for (const StepEvidence& s : leg)
        temps.push_back(Temperature(s));
    std::sort(temps.begin(), temps.end());
    temps.erase(std::unique(temps.begin(), temps.end(),
                            [](double p, double q) { return std::fabs(p - q) < 1e-6; }),
                temps.end());
    for (const double t : temps) {
        const double x = (t - centre) / half;
        Eigen::VectorXd g = Eigen::VectorXd::Zero(terms);
        for (int k = 1; k < terms; ++k)
            g(k) = k * std::pow(x, k - 1) / half;
        const double alpha = g.dot(coef) * 1e6;
        const double uFit = std::sqrt(std::max(0.0, g.dot(cov * g))) * 1e6;
        const double uSys = SystematicUncertainty(alpha, t, length, f, correction);
        c.physical.push_back({t, alpha, UncertaintyBudget::kCoverageFactor * std::hypot(uFit, uSys)});
    }
    out.curves = std::move(c);
    return out;
}

} // namespace dilato
