#include "analysis/EquilibriumFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace dilato {

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();
// The search for tau runs from a fifth to five times tauPrior: a grid first (the sum of
// squares may have more than one dip), then a golden-section search about its best point.
constexpr double kSearchSpan = 5.0;
constexpr int kGridPoints = 25;
constexpr int kGoldenSteps = 40;
// A best tau this close to an end of the search (in log tau) lies at the end.
constexpr double kAtBound = 0.01;
// A drift this many of its standard uncertainties from none is clearly there.
constexpr double kClearDrift = 3.0;

// Neighbouring readings gathered into one: how many, their mean time and indicator (the
// indicator relative to the window's first reading) and half the time they span.
struct Bin {
    double weight = 0, time = 0, value = 0, halfSpan = 0;
};

// The mean of e^(-(t - t0)/tau) over a bin's readings, taken as spread evenly over its span.
double BinMeanDecay(const Bin& b, double tau) {
    const double x = b.halfSpan / tau;
    const double spread = x < 1e-6 ? 1.0 : std::sinh(x) / x;
    return std::exp(-b.time / tau) * spread;
}

struct LinearFit {
    double level = 0, amplitude = 0; // I_inf (relative) and A
    double squares = kInfinite;      // weighted sum of squared residuals
    Eigen::Matrix2d normal = Eigen::Matrix2d::Zero();
};

// I_inf and A for one tau, by weighted least squares over the bins.
LinearFit SolveForTau(const std::vector<Bin>& bins, double tau) {
    double sw = 0, se = 0, see = 0, sy = 0, sey = 0;
    std::vector<double> decay(bins.size());
    for (size_t i = 0; i < bins.size(); ++i) {
        const Bin& b = bins[i];
        const double e = BinMeanDecay(b, tau);
        decay[i] = e;
        sw += b.weight;
        se += b.weight * e;
        see += b.weight * e * e;
        sy += b.weight * b.value;
        sey += b.weight * e * b.value;
    }
    LinearFit f;
    f.normal << sw, se, se, see;
    const double det = sw * see - se * se;
    if (!(std::fabs(det) > 1e-300)) return f;
    f.level = (see * sy - se * sey) / det;
    f.amplitude = (sw * sey - se * sy) / det;
    double squares = 0;
    for (size_t i = 0; i < bins.size(); ++i) {
        const double d = bins[i].value - f.level - f.amplitude * decay[i];
        squares += bins[i].weight * d * d;
    }
    f.squares = squares;
    return f;
}

std::vector<Bin> Gather(std::span<const Reading> readings, const std::vector<double>& minutes,
                        size_t first, double& origin, double& reference) {
    const size_t count = readings.size() - first;
    const size_t perBin = (count + kFitBins - 1) / kFitBins;
    origin = minutes[first];
    reference = readings[first].indicator;
    std::vector<Bin> bins;
    bins.reserve(kFitBins);
    for (size_t start = first; start < readings.size(); start += perBin) {
        const size_t end = std::min(readings.size(), start + perBin);
        Bin b;
        for (size_t i = start; i < end; ++i) {
            b.time += minutes[i] - origin;
            b.value += static_cast<double>(readings[i].indicator) - reference;
        }
        b.weight = static_cast<double>(end - start);
        b.time /= b.weight;
        b.value /= b.weight;
        b.halfSpan = (minutes[end - 1] - minutes[start]) / 2.0;
        bins.push_back(b);
    }
    return bins;
}

// A drift the model leaves unexplained (inches a minute): the slope of a straight line through
// the bins' residuals about the fit for tau, together with that slope's own standard
// uncertainty for readings that scatter by sigma (a drift hidden in the scatter).
struct Drift {
    double slope = 0, uncertainty = kInfinite;
};
Drift UnexplainedDrift(const std::vector<Bin>& bins, const LinearFit& fit, double tau,
                       double sigma) {
    double weight = 0, mean = 0;
    for (const Bin& b : bins) {
        weight += b.weight;
        mean += b.weight * b.time;
    }
    mean /= weight;
    double spread = 0, moment = 0;
    for (const Bin& b : bins) {
        const double residual = b.value - fit.level - fit.amplitude * BinMeanDecay(b, tau);
        spread += b.weight * ((b.time - mean) * (b.time - mean) + b.halfSpan * b.halfSpan / 3.0);
        moment += b.weight * (b.time - mean) * residual;
    }
    if (!(spread > 0)) return {};
    return {moment / spread, sigma / std::sqrt(spread)};
}

// The best tau between low and high (minutes), searched in log tau.
double SearchTau(const std::vector<Bin>& bins, double low, double high) {
    const double a = std::log(low), b = std::log(high);
    const auto squares = [&](double logTau) { return SolveForTau(bins, std::exp(logTau)).squares; };
    const double step = (b - a) / (kGridPoints - 1);
    int best = 0;
    double bestSquares = kInfinite;
    for (int k = 0; k < kGridPoints; ++k) {
        const double s = squares(a + step * k);
        if (s < bestSquares) {
            bestSquares = s;
            best = k;
        }
    }
    double lo = a + step * std::max(0, best - 1);
    double hi = a + step * std::min(kGridPoints - 1, best + 1);
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double x1 = hi - ratio * (hi - lo), x2 = lo + ratio * (hi - lo);
    double f1 = squares(x1), f2 = squares(x2);
    for (int i = 0; i < kGoldenSteps; ++i) {
        if (f1 < f2) {
            hi = x2;
            x2 = x1;
            f2 = f1;
            x1 = hi - ratio * (hi - lo);
            f1 = squares(x1);
        } else {
            lo = x1;
            x1 = x2;
            f1 = f2;
            x2 = lo + ratio * (hi - lo);
            f2 = squares(x2);
        }
    }
    // Compare with the grid's end points: a minimum at an end is no interior dip.
    const double mid = (lo + hi) / 2.0;
    return std::exp(squares(mid) <= bestSquares ? mid : a + step * best);
}

} // namespace

EquilibriumFit FitEquilibrium(std::span<const Reading> readings, double windowStart,
                              double tauPrior) {
    EquilibriumFit fit;
    fit.windowStart = windowStart;
    fit.tauPrior = tauPrior;
    fit.tau = tauPrior;
    if (readings.empty() || !(tauPrior > 0.0)) return fit;
    const std::vector<double> minutes = UnwrappedMinutes(readings);
    const size_t first = static_cast<size_t>(
        std::lower_bound(minutes.begin(), minutes.end(), windowStart) - minutes.begin());
    fit.readings = static_cast<int>(readings.size() - first);
    fit.windowEnd = minutes.back();
    if (fit.readings < kEquilibriumMinReadings) return fit;
    fit.windowStart = minutes[first];

    double origin = 0, reference = 0;
    const std::vector<Bin> bins = Gather(readings, minutes, first, origin, reference);
    const double dof3 = static_cast<double>(bins.size()) - 3.0;
    const double now = minutes.back() - origin;

    // The fitted tau and its covariance with I_inf and A.
    const double low = tauPrior / kSearchSpan, high = tauPrior * kSearchSpan;
    const double tau = SearchTau(bins, low, high);
    const LinearFit best = SolveForTau(bins, tau);
    fit.fittedTau = tau;
    fit.tauAtBound = std::log(tau / low) < kAtBound || std::log(high / tau) < kAtBound;
    fit.fittedTauUncertainty = kInfinite;
    Eigen::Matrix3d covariance = Eigen::Matrix3d::Zero();
    if (dof3 > 0 && std::isfinite(best.squares)) {
        const double variance = best.squares / dof3;
        fit.noiseSigma = std::sqrt(variance);
        Eigen::Matrix3d normal = Eigen::Matrix3d::Zero();
        const double h = 1e-4 * tau;
        for (const Bin& b : bins) {
            const Eigen::Vector3d j(1.0, BinMeanDecay(b, tau),
                                    best.amplitude *
                                        (BinMeanDecay(b, tau + h) - BinMeanDecay(b, tau - h)) /
                                        (2.0 * h));
            normal += b.weight * j * j.transpose();
        }
        const Eigen::LDLT<Eigen::Matrix3d> ldlt(normal);
        if (ldlt.info() == Eigen::Success && ldlt.isPositive() &&
            normal.determinant() > 1e-12 * normal.diagonal().prod()) {
            covariance = variance * ldlt.solve(Eigen::Matrix3d::Identity());
            if (covariance(2, 2) > 0) fit.fittedTauUncertainty = std::sqrt(covariance(2, 2));
        }
    }
    const double ratio = tau / tauPrior;
    fit.tauResolved = !fit.tauAtBound &&
                      fit.fittedTauUncertainty <= kResolvedTauUncertainty * tau &&
                      ratio >= kResolvedTauLow && ratio <= kResolvedTauHigh;
    fit.valid = true;

    if (fit.tauResolved) {
        fit.tau = tau;
        const double decay = std::exp(-now / tau);
        const Eigen::Vector3d g(0.0, -decay, -best.amplitude * decay * now / (tau * tau));
        fit.endValue = reference + best.level;
        fit.endValueUncertainty = std::sqrt(std::max(0.0, covariance(0, 0)));
        fit.remaining = -best.amplitude * decay;
        fit.remainingUncertainty = std::sqrt(std::max(0.0, g.dot(covariance * g)));
        return fit;
    }

    // tauPrior stands: I_inf and A for it, and how they move with its 30 %.
    const LinearFit prior = SolveForTau(bins, tauPrior);
    const double dof2 = static_cast<double>(bins.size()) - 2.0;
    const double variance = prior.squares / dof2;
    fit.noiseSigma = std::sqrt(variance);
    const double decay = std::exp(-now / tauPrior);
    fit.endValue = reference + prior.level;
    fit.remaining = -prior.amplitude * decay;
    double uLevel = kInfinite, uRemaining = kInfinite;
    const double det = prior.normal.determinant();
    if (std::isfinite(variance) && det > 1e-12 * prior.normal.diagonal().prod()) {
        const Eigen::Matrix2d c = variance * prior.normal.inverse();
        uLevel = std::sqrt(std::max(0.0, c(0, 0)));
        uRemaining = decay * std::sqrt(std::max(0.0, c(1, 1)));
    }
    const double shorter = tauPrior * (1.0 - kPriorTauUncertainty);
    const double longer = tauPrior * (1.0 + kPriorTauUncertainty);
    const LinearFit s = SolveForTau(bins, shorter), l = SolveForTau(bins, longer);
    const double rShorter = -s.amplitude * std::exp(-now / shorter);
    const double rLonger = -l.amplitude * std::exp(-now / longer);
    fit.endValueUncertainty = std::hypot(uLevel, (l.level - s.level) / 2.0);
    // Long after tauPrior the model says nothing is left; the readings say less: a drift the
    // model does not explain, or one within their scatter, kept up for one more time
    // constant, would go unseen.
    const Drift drift = UnexplainedDrift(bins, prior, tauPrior, fit.noiseSigma);
    double unseen = std::hypot(drift.slope, drift.uncertainty) * tauPrior;
    // Readings that look like an endless drift (the best tau at the top of the search) and
    // drift clearly beyond the model: no approach to a resting point at all. What moved over
    // the window may come again.
    const bool endless = fit.tauAtBound && tau > tauPrior &&
                         std::fabs(drift.slope) > kClearDrift * drift.uncertainty;
    if (endless) {
        unseen = std::max(unseen, std::fabs(drift.slope) * fit.windowMinutes());
        // The model's level is the window's middle, not where the readings are: the latest
        // readings stand for the end value, nothing known of what comes after them.
        fit.endValue = reference + bins.back().value;
        fit.remaining = 0.0;
    }
    fit.remainingUncertainty =
        std::hypot(std::hypot(uRemaining, (rLonger - rShorter) / 2.0), unseen);
    return fit;
}

} // namespace dilato
