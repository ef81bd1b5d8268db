#include "analysis/ColumnCorrection.h"

#include "analysis/CteFormulas.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {
const double kRootTwo = std::sqrt(2.0);
const double kRootThree = std::sqrt(3.0);
// The frame's share per inch of length difference is known to a tenth of itself.
constexpr double kFrameShareFraction = 0.10;
// The reference's length is kept to 0.001 in as a sample's is: half a digit either way.
constexpr double kReferenceLengthHalfWidth = 0.0005;
} // namespace

std::optional<ColumnCorrection> ColumnCorrection::Fit(std::vector<CorrectionPoint> points,
                                                      double referenceLength,
                                                      double alphaUncertainty,
                                                      std::optional<double> referenceAlpha) {
    if (points.size() < 2 || !(referenceLength > 0) || !(alphaUncertainty >= 0))
        return std::nullopt;
    std::sort(points.begin(), points.end(),
              [](const CorrectionPoint& a, const CorrectionPoint& b) { return a.temp < b.temp; });
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].temp - points[i - 1].temp < 1.0) return std::nullopt;
    for (const CorrectionPoint& p : points)
        if (!std::isfinite(p.temp) || !std::isfinite(p.column) || !std::isfinite(p.sigma) ||
            p.sigma < 0)
            return std::nullopt;

    ColumnCorrection c;
    c.low_ = points.front().temp;
    c.high_ = points.back().temp;
    c.centre_ = (c.low_ + c.high_) / 2.0;
    c.length_ = referenceLength;
    c.alphaU_ = alphaUncertainty;
    c.referenceAlpha_ = referenceAlpha;
    const int degree = std::min<int>(2, static_cast<int>(points.size()) - 1);
    const auto n = static_cast<Eigen::Index>(points.size());
    Eigen::MatrixXd a(n, degree + 1);
    Eigen::VectorXd y(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double x = points[static_cast<size_t>(i)].temp - c.centre_;
        double power = 1.0;
        for (int k = 0; k <= degree; ++k, power *= x)
            a(i, k) = power;
        y(i) = points[static_cast<size_t>(i)].column;
    }
    const Eigen::VectorXd coef = a.colPivHouseholderQr().solve(y);
    c.coef_.assign(coef.data(), coef.data() + coef.size());
    const Eigen::VectorXd misfit = a * coef - y;
    const auto freedom = n - (degree + 1);
    c.residual_ = freedom > 0 ? std::sqrt(misfit.squaredNorm() / static_cast<double>(freedom)) : 0;
    c.points_ = std::move(points);
    return c;
}

double ColumnCorrection::at(double temp) const {
    const double x = temp - centre_;
    double value = 0.0;
    for (size_t k = coef_.size(); k-- > 0;)
        value = value * x + coef_[k];
    return value;
}

double ColumnCorrection::changeFor(double t1, double t2, double length) const {
    // The column's change appears in the reading; taking it off leaves the sample's. A
    // sample longer than the reference stands under a frame that much taller.
    return -(at(t2) - at(t1)) + (length - length_) * kFramePerInchPerDegree * (t2 - t1);
}

std::vector<double> ColumnCorrection::pointSensitivities(double t1, double t2) const {
    const auto n = static_cast<Eigen::Index>(points_.size());
    const auto terms = static_cast<Eigen::Index>(coef_.size());
    if (n == 0 || terms == 0) return {};
    Eigen::MatrixXd a(n, terms);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double x = points_[static_cast<size_t>(i)].temp - centre_;
        double power = 1.0;
        for (Eigen::Index k = 0; k < terms; ++k, power *= x)
            a(i, k) = power;
    }
    // The change per degree of each power of (T - centre) over the interval.
    Eigen::VectorXd slope(terms);
    const double x1 = t1 - centre_, x2 = t2 - centre_;
    for (Eigen::Index k = 0; k < terms; ++k) {
        const auto kk = static_cast<double>(k);
        slope(k) = std::fabs(x2 - x1) < 1e-9 ? (k == 0 ? 0.0 : kk * std::pow(x1, kk - 1.0))
                                             : (std::pow(x2, kk) - std::pow(x1, kk)) / (x2 - x1);
    }
    // The least-squares coefficients are (A'A)^-1 A' y.
    const Eigen::MatrixXd normal = a.transpose() * a;
    const Eigen::VectorXd weights = a * normal.ldlt().solve(slope);
    return {weights.data(), weights.data() + weights.size()};
}

double ColumnCorrection::commonPerDegreeUncertainty(double length) const {
    const double span = std::max(high_ - low_, 1.0);
    const double certificate = alphaU_ * 1e-6 * length_;
    const double curve = kRootTwo * residual_ / span;
    const double transfer = std::fabs(length - length_) * kFramePerInchPerDegree *
                            kFrameShareFraction / kRootThree;
    // The certified expansion was taken over the reference's length as entered.
    const double referenceLength =
        std::fabs(referenceAlpha_.value_or(0.0)) * 1e-6 * kReferenceLengthHalfWidth / kRootThree;
    return std::sqrt(certificate * certificate + curve * curve + transfer * transfer +
                     referenceLength * referenceLength);
}

double ColumnCorrection::perDegreeUncertainty(double t1, double t2, double length) const {
    const std::vector<double> weights = pointSensitivities(t1, t2);
    double readings = 0.0;
    for (size_t i = 0; i < weights.size(); ++i)
        readings += weights[i] * weights[i] * points_[i].sigma * points_[i].sigma;
    return std::hypot(commonPerDegreeUncertainty(length), std::sqrt(readings));
}

double ColumnCorrection::perDegreeUncertainty(double length) const {
    return perDegreeUncertainty(low_, high_, length);
}

bool ColumnCorrection::covers(double t1, double t2) const {
    constexpr double kSpare = 0.5;
    const auto inside = [&](double t) { return t >= low_ - kSpare && t <= high_ + kSpare; };
    return inside(t1) && inside(t2);
}

double ColumnChange(double t1, double t2, double length, const ColumnCorrection* correction) {
    if (correction) return correction->changeFor(t1, t2, length);
    return SystemCorrection(static_cast<float>(t2 - t1), static_cast<float>(length));
}

} // namespace dilato
