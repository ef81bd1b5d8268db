#pragma once
// Least-squares polynomial fit of the indicator against elapsed time, solved through the
// normal equations by explicit inversion (GetMatrixInverse, GetMatrixProduct).
//
// The normal equations are formed about the centre of the abscissa range rather than about
// zero. Late in a day-long step the elapsed minutes are near 1400 while a 50-reading window
// spans only 5 minutes; raw powers up to x^4 then make the normal matrix so ill-conditioned
// that a parabola's projected indicator is off by several micro-inches. Centred powers keep
// the full precision; the coefficients handed back are still those of powers of x itself.

#include "analysis/AnalysisError.h"
#include "analysis/Matrix.h"

#include <span>
#include <string>

namespace dilato {

// The result of the most recent fit (`Coef`); all zero when that fit failed.
struct FitCoefficients {
    // coef(k) is the coefficient of x^k (row k + 1 of the 1-based coefficient table).
    Eigen::VectorXd coef;
    // The same polynomial in powers of (x - centre): the form to evaluate near the data.
    double centre = 0.0;
    Eigen::VectorXd centred;

    // The polynomial's value at x, evaluated in the centred form.
    [[nodiscard]] double valueAt(double x) const;
};

// Fits a polynomial of `degree` to (x(k), y(k)) for k = first to last (0-based, both
// included). When the matrix routines fail the failure is a warning holding their error
// text, and `fit` is all zero. An index outside x or y (or a negative degree) is a fatal
// failure, "Error in PolynomialFit: ...".
[[nodiscard]] Analysed<void> PolynomialFit(std::span<const float> x, std::span<const float> y,
                                           int first, int last, int degree, FitCoefficients& fit);

// Straight line through all of x and y. A fit error is a warning ("Mattrix in
// PolynominalFit from GetSlopeAndInter: ..."), and slope and intercept keep their values.
[[nodiscard]] Analysed<void> GetSlopeAndInter(std::span<const float> x, std::span<const float> y,
                                              float& slope, float& intercept);

// A failure of the matrix routines told under `heading` ("Mattrix in PolynominalFit: \n"
// followed by their text); a fatal failure passes unchanged.
[[nodiscard]] Failure<AnalysisError> FitFailure(const AnalysisError& error,
                                                const std::string& heading);

} // namespace dilato
