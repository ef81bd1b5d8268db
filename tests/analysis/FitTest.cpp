#include "analysis/Matrix.h"
#include "analysis/PolynomialFit.h"
#include "platform/ProgramEnd.h"
#include "support/RecordingOperator.h"
#include "support/ShownAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace dilato {
namespace {

using namespace test;

TEST(GetMatrixInverse, InvertsAndRefusesASingularMatrixUnchanged) {
    Matrix m(2, 2);
    m << 4, 7, 2, 6;
    EXPECT_EQ(GetMatrixInverse(m), "");
    Matrix expected(2, 2);
    expected << 0.6, -0.7, -0.2, 0.4;
    EXPECT_TRUE(m.isApprox(expected, 1e-12)) << m;

    Matrix singular(3, 3);
    singular << 1, 2, 3, 2, 4, 6, 1, 0, 1;
    const Matrix before = singular;
    EXPECT_EQ(GetMatrixInverse(singular), "Error: Matrix determinant = 0 - no inverse exists!");
    EXPECT_EQ(singular, before);

    Matrix empty;
    EXPECT_EQ(GetMatrixInverse(empty), "Error: input matrix is not an array");
    Matrix wide(2, 3);
    wide.setOnes();
    EXPECT_EQ(GetMatrixInverse(wide).rfind("Error in GetMatrixInverse: ", 0), 0u);
}

TEST(GetMatrixProduct, MultipliesAndReportsMismatchedShapes) {
    Matrix a(2, 3), b(3, 1), c;
    a << 1, 2, 3, 4, 5, 6;
    b << 1, 0, -1;
    EXPECT_EQ(GetMatrixProduct(a, b, c), "");
    ASSERT_EQ(c.rows(), 2);
    ASSERT_EQ(c.cols(), 1);
    EXPECT_EQ(c(0, 0), -2.0);
    EXPECT_EQ(c(1, 0), -2.0);

    Matrix a32(3, 2), b31(3, 1);
    a32.setOnes();
    b31.setOnes();
    EXPECT_EQ(GetMatrixProduct(a32, b31, c),
              "Error: incompatible number of rows & columns for matrix multiplication");
    EXPECT_EQ(c.rows(), 3);
    EXPECT_EQ(c.cols(), 1);
    EXPECT_TRUE(c.isZero());
}

TEST(PolynomialFit, RecoversAnExactLineAndParabola) {
    RecordingOperator op;
    std::vector<float> x, y;
    for (int k = 0; k < 50; ++k) {
        x.push_back(static_cast<float>(k));
        y.push_back(3.0f + 2.0f * static_cast<float>(k));
    }
    FitCoefficients fit;
    ASSERT_EQ(FitText(op, x, y, 0, 49, 1, fit), "");
    ASSERT_EQ(fit.coef.size(), 2);
    EXPECT_NEAR(fit.coef(0), 3.0, 1e-10);
    EXPECT_NEAR(fit.coef(1), 2.0, 1e-12);

    x.clear();
    y.clear();
    for (int k = 1; k <= 50; ++k) {
        const double xk = k;
        x.push_back(static_cast<float>(xk));
        y.push_back(static_cast<float>(1.0 - 0.5 * xk + 0.25 * xk * xk)); // exact in float
    }
    ASSERT_EQ(FitText(op, x, y, 0, 49, 2, fit), "");
    ASSERT_EQ(fit.coef.size(), 3);
    EXPECT_NEAR(fit.coef(0), 1.0, 1e-9);
    EXPECT_NEAR(fit.coef(1), -0.5, 1e-10);
    EXPECT_NEAR(fit.coef(2), 0.25, 1e-12);
    EXPECT_NEAR(fit.valueAt(60.0), 1.0 - 30.0 + 900.0, 1e-8);

    // Only the index range first to last takes part.
    y[0] = 1000.0f;
    y[49] = -1000.0f;
    ASSERT_EQ(FitText(op, x, y, 1, 48, 2, fit), "");
    EXPECT_NEAR(fit.coef(2), 0.25, 1e-12);
    EXPECT_TRUE(op.messages.empty());
}

TEST(PolynomialFit, EqualAbscissaeGiveTheDeterminantErrorAndZeroCoefficients) {
    RecordingOperator op;
    const std::vector<float> x(50, 1400.3f);
    std::vector<float> y;
    for (int k = 0; k < 50; ++k)
        y.push_back(0.01f + 1e-6f * static_cast<float>(k));
    for (int degree : {1, 2}) {
        FitCoefficients fit;
        fit.coef = Eigen::VectorXd::Constant(3, 7.0);
        EXPECT_EQ(FitText(op, x, y, 0, 49, degree, fit),
                  "Error: Matrix determinant = 0 - no inverse exists!");
        EXPECT_EQ(fit.coef.size(), degree + 1);
        EXPECT_TRUE(fit.coef.isZero()) << "degree " << degree;
    }

    float slope = 1.5f, intercept = -2.5f;
    EXPECT_FALSE(SlopeAndInter(op, x, y, slope, intercept));
    EXPECT_EQ(slope, 1.5f) << "left as it was";
    EXPECT_EQ(intercept, -2.5f);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().text, "Mattrix in PolynominalFit from GetSlopeAndInter: \n"
                              "Error: Matrix determinant = 0 - no inverse exists!");
}

TEST(PolynomialFit, AnIndexOutsideTheSamplesEndsTheProgram) {
    RecordingOperator op;
    const std::vector<float> x(10, 1.0f), y(9, 1.0f);
    FitCoefficients fit;
    EXPECT_THROW((void)FitText(op, x, y, 0, 9, 1, fit), ProgramEnd) << "y is short";
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.last().text, "Error in PolynomialFit: Subscript out of range");
    EXPECT_THROW((void)FitText(op, x, x, -1, 5, 1, fit), ProgramEnd);
    EXPECT_THROW((void)FitText(op, x, x, 0, 5, -1, fit), ProgramEnd);
}

TEST(GetSlopeAndInter, FitsAllElementsLateInADayLongStep) {
    RecordingOperator op;
    std::vector<float> x, y;
    for (int k = 0; k < 50; ++k) {
        const double t = 1395.1 + 0.1 * k;
        x.push_back(static_cast<float>(t));
        y.push_back(static_cast<float>(0.0125 + 2e-7 * (static_cast<float>(t) - 1400.0)));
    }
    float slope = 0.0f, intercept = 0.0f;
    ASSERT_TRUE(SlopeAndInter(op, x, y, slope, intercept));
    EXPECT_NEAR(slope, 2e-7, 2e-10); // 0.002 µin/10 min of the indicator's float rounding
    EXPECT_NEAR(intercept, 0.0125 - 2e-7 * 1400.0, 1e-8); // the slope error x 1400
}

// Least squares through the parabola's vertex in long double about the window's centre:
// the reference the fit is measured against.
long double ReferenceVertexValue(const std::vector<float>& x, const std::vector<float>& y) {
    const long double c = (static_cast<long double>(x.front()) + x.back()) / 2;
    long double a[3][4] = {};
    for (size_t k = 0; k < x.size(); ++k) {
        const long double u = x[k] - c;
        const long double p[5] = {1, u, u * u, u * u * u, u * u * u * u};
        for (int r = 0; r < 3; ++r) {
            for (int j = 0; j < 3; ++j)
                a[r][j] += p[r + j];
            a[r][3] += p[r] * y[k];
        }
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const long double f = a[j][i] / a[i][i];
            for (int l = i; l < 4; ++l)
                a[j][l] -= f * a[i][l];
        }
    long double b[3];
    for (int i = 2; i >= 0; --i) {
        long double s = a[i][3];
        for (int l = i + 1; l < 3; ++l)
            s -= a[i][l] * b[l];
        b[i] = s / a[i][i];
    }
    const long double c1 = b[1] - 2 * b[2] * c;
    const long double vertex = static_cast<float>(-c1 / b[2] / 2);
    const long double u = vertex - c;
    return b[0] + b[1] * u + b[2] * u * u;
}

TEST(PolynomialFit, KeepsTheProjectionExactAtElapsedMinutesNear1400) {
    RecordingOperator op;
    for (double start : {5.1, 600.1, 1395.1}) {
        std::vector<float> x, y;
        for (int k = 0; k < 50; ++k) {
            const double t = start + 0.1 * k;
            x.push_back(static_cast<float>(t));
            // settling towards 0.0123 in with a 4-minute time constant, plus a ripple
            y.push_back(static_cast<float>(0.0123 + 3e-6 * std::exp(-(t - start + 5.0) / 4.0) +
                                           2e-8 * std::sin(7.0 * k)));
        }
        FitCoefficients fit;
        ASSERT_EQ(FitText(op, x, y, 0, 49, 2, fit), "");
        const float vertex = static_cast<float>(-fit.coef(1) / fit.coef(2) / 2.0);
        const double projected = fit.valueAt(vertex);
        const long double reference = ReferenceVertexValue(x, y);
        // The raw-power normal equations miss by several µin at 1400 minutes.
        EXPECT_NEAR(projected, static_cast<double>(reference), 1e-11) << "start " << start;
    }
}

} // namespace
} // namespace dilato
