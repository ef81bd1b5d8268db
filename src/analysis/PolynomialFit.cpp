#include "analysis/PolynomialFit.h"

#include <stdexcept>
#include <vector>

namespace dilato {

namespace {

constexpr const char* kSubscriptText = "Subscript out of range";

// Coefficients of powers of x from those of powers of (x - centre):
// sum_j b_j (x - c)^j = sum_k x^k sum_{j>=k} b_j C(j, k) (-c)^(j-k).
Eigen::VectorXd UncentredCoefficients(const Eigen::VectorXd& b, double centre) {
    const Eigen::Index n = b.size();
    Eigen::VectorXd a = Eigen::VectorXd::Zero(n);
    for (Eigen::Index k = 0; k < n; ++k) {
        double binomial = 1.0; // C(j, k), starting at j = k
        double power = 1.0;    // (-c)^(j - k)
        for (Eigen::Index j = k; j < n; ++j) {
            a(k) += b(j) * binomial * power;
            binomial = binomial * static_cast<double>(j + 1) / static_cast<double>(j + 1 - k);
            power *= -centre;
        }
    }
    return a;
}

} // namespace

double FitCoefficients::valueAt(double x) const {
    const double u = x - centre;
    double value = 0.0;
    for (Eigen::Index k = centred.size() - 1; k >= 0; --k)
        value = value * u + centred(k);
    return value;
}

Analysed<void> PolynomialFit(std::span<const float> x, std::span<const float> y, int first,
                             int last, int degree, FitCoefficients& fit) {
    try {
        if (degree < 0) throw std::out_of_range(kSubscriptText);
        const Eigen::Index terms = degree + 1;
        fit.coef = Eigen::VectorXd::Zero(terms);
        fit.centred = Eigen::VectorXd::Zero(terms);
        fit.centre = 0.0;
        if (first <= last) {
            const auto inRange = [](int index, size_t size) {
                return index >= 0 && static_cast<size_t>(index) < size;
            };
            if (!inRange(first, x.size()) || !inRange(last, x.size()) ||
                !inRange(first, y.size()) || !inRange(last, y.size()))
                throw std::out_of_range(kSubscriptText);
        }
        const double centre = first <= last ? (static_cast<double>(x[static_cast<size_t>(first)]) +
                                               static_cast<double>(x[static_cast<size_t>(last)])) /
                                                  2.0
                                            : 0.0;

        // Power sums of the centred abscissae, u^0 to u^(2 degree), and the moments u^r * y.
        std::vector<double> powerSums(static_cast<size_t>(2 * degree + 1), 0.0);
        Matrix b = Matrix::Zero(terms, 1);
        for (int k = first; k <= last; ++k) {
            const double u = static_cast<double>(x[static_cast<size_t>(k)]) - centre;
            const double yk = static_cast<double>(y[static_cast<size_t>(k)]);
            double power = 1.0; // u^0 is 1 also for u = 0
            for (size_t p = 0; p < powerSums.size(); ++p) {
                powerSums[p] += power;
                if (static_cast<Eigen::Index>(p) < terms)
                    b(static_cast<Eigen::Index>(p)) += power * yk;
                power *= u;
            }
        }
        Matrix a(terms, terms);
        for (Eigen::Index r = 0; r < terms; ++r)
            for (Eigen::Index c = r; c < terms; ++c)
                a(r, c) = a(c, r) = powerSums[static_cast<size_t>(r + c)];

        std::string error = GetMatrixInverse(a);
        if (!error.empty()) return Fail(AnalysisError{error, AnalysisError::Weight::Warning, {}});
        Matrix product;
        error = GetMatrixProduct(a, b, product);
        if (!error.empty()) return Fail(AnalysisError{error, AnalysisError::Weight::Warning, {}});
        fit.centre = centre;
        fit.centred = product.col(0);
        fit.coef = UncentredCoefficients(fit.centred, centre);
        return {};
    } catch (const std::exception& e) {
        return FailedIn("PolynomialFit", e.what(), AnalysisError::Weight::Fatal,
                        "the least-squares fit failed");
    }
}

Failure<AnalysisError> FitFailure(const AnalysisError& error, const std::string& heading) {
    if (error.weight == AnalysisError::Weight::Fatal) return Fail(error);
    return Fail(AnalysisError{heading + error.message, AnalysisError::Weight::Warning, {}});
}

Analysed<void> GetSlopeAndInter(std::span<const float> x, std::span<const float> y, float& slope,
                                float& intercept) {
    FitCoefficients fit;
    const int last = static_cast<int>(x.size()) - 1;
    if (auto fitted = PolynomialFit(x, y, 0, last, 1, fit); !fitted)
        return FitFailure(fitted.error(), "Mattrix in PolynominalFit from GetSlopeAndInter: \n");
    slope = static_cast<float>(fit.coef(1));
    intercept = static_cast<float>(fit.coef(0));
    return {};
}

} // namespace dilato
