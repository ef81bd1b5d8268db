// Cost of the live analysis after one stored reading (line fit and parabola fit over the last
// 50 readings, the two window means) and the numerical quality of the parabola's projection
// late in a day-long step, against a long-double fit and against the plain raw-power normal
// equations.

#include "analysis/LiveAnalysis.h"
#include "analysis/PolynomialFit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using namespace dilato;

// Indicator settling towards 0.0123 in with a 4-minute time constant, plus a ripple of
// 0.02 µin, at 0.1-minute readings.
float Indicator(double t, int k, double end) {
    return static_cast<float>(0.0123 + 3e-6 * std::exp(-(t - end + 10.0) / 4.0) +
                              2e-8 * std::sin(7.0 * k));
}

// A test in its second step with `minutes` of readings; step 1 ended at 20 °C.
struct LiveTest {
    explicit LiveTest(double minutes) {
        data.reset(2);
        for (int r = 1; r <= 100; ++r)
            data.append(1, {0.1f * static_cast<float>(r), 0.0100f, 20.0f, 0.0f, 0.0f});
        const int count = static_cast<int>(std::lround(minutes * 10.0));
        for (int r = 1; r <= count; ++r) {
            const double t = 0.1 * r;
            data.append(2, {static_cast<float>(t), Indicator(t, r, minutes), 80.0f, 3.0f, 0.0f});
        }
        v.testState = TestState::Hold;
        v.stepIndex = 1;
        v.sampleLength = 2.0f;
        v.sampleTemp = 80.0f;
        v.averageSlope = 3.0f;
        v.indicatorReading = data.value(2, ReadingColumn::Indicator, count);
    }
    StepData data;
    LiveValues v;
};

void LiveAnalysisAfterOneReading(benchmark::State& state) {
    LiveTest test(static_cast<double>(state.range(0)));
    LiveAnalysis analysis(test.data);
    const int n = test.data.readingCount(2);
    Projection projection;
    for (auto _ : state) {
        benchmark::DoNotOptimize(analysis.IndicatorSlope(n, test.v));
        benchmark::DoNotOptimize(analysis.IndAveSlope(n, test.v));
        benchmark::DoNotOptimize(analysis.ProjectIndicator(n, test.v, projection));
        benchmark::DoNotOptimize(projection);
    }
}
BENCHMARK(LiveAnalysisAfterOneReading)->Arg(30)->Arg(1400)->Unit(benchmark::kMicrosecond);

// The projection of the textbook route: raw powers of x, explicit inverse, raw evaluation.
double RawNormalEquationProjection(const std::vector<float>& x, const std::vector<float>& y) {
    Eigen::Matrix3d a = Eigen::Matrix3d::Zero();
    Eigen::Vector3d b = Eigen::Vector3d::Zero();
    for (size_t k = 0; k < x.size(); ++k) {
        const double p[5] = {1, x[k], std::pow(x[k], 2.0), std::pow(x[k], 3.0),
                             std::pow(x[k], 4.0)};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                a(r, c) += p[r + c];
            b(r) += p[r] * y[k];
        }
    }
    const Eigen::MatrixXd inverse = Eigen::MatrixXd(a).inverse();
    const Eigen::VectorXd c = inverse * b;
    const float t = static_cast<float>(-c(1) / c(2) / 2.0);
    return c(2) * t * t + c(1) * t + c(0);
}

// The same in long double about the window's centre: the reference.
long double ReferenceProjection(const std::vector<float>& x, const std::vector<float>& y) {
    const long double centre = (static_cast<long double>(x.front()) + x.back()) / 2;
    long double m[3][4] = {};
    for (size_t k = 0; k < x.size(); ++k) {
        const long double u = x[k] - centre;
        const long double p[5] = {1, u, u * u, u * u * u, u * u * u * u};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += p[r + c];
            m[r][3] += p[r] * y[k];
        }
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const long double f = m[j][i] / m[i][i];
            for (int l = i; l < 4; ++l)
                m[j][l] -= f * m[i][l];
        }
    long double b[3];
    for (int i = 2; i >= 0; --i) {
        long double s = m[i][3];
        for (int l = i + 1; l < 3; ++l)
            s -= m[i][l] * b[l];
        b[i] = s / m[i][i];
    }
    const long double vertex = static_cast<float>(-(b[1] - 2 * b[2] * centre) / b[2] / 2);
    const long double u = vertex - centre;
    return b[0] + b[1] * u + b[2] * u * u;
}

// Times the parabola fit of the last 50 readings of a step that has run `minutes`, and
// reports the relative error of the projected indicator of our fit and of the raw route.
void ParabolaProjectionQuality(benchmark::State& state) {
    const double minutes = static_cast<double>(state.range(0));
    std::vector<float> x, y;
    for (int k = 0; k < kFitWindow; ++k) {
        const double t = minutes - 4.9 + 0.1 * k;
        x.push_back(static_cast<float>(t));
        y.push_back(Indicator(t, k, minutes));
    }
    FitCoefficients fit;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PolynomialFit(x, y, 0, kFitWindow - 1, 2, fit));
        benchmark::DoNotOptimize(fit);
    }
    const float vertex = static_cast<float>(-fit.coef(1) / fit.coef(2) / 2.0);
    const long double reference = ReferenceProjection(x, y);
    const auto relative = [&](double value) {
        return static_cast<double>(std::fabs((value - reference) / reference));
    };
    state.counters["rel_err_centred"] = relative(fit.valueAt(vertex));
    state.counters["rel_err_raw"] = relative(RawNormalEquationProjection(x, y));
    state.counters["raw_err_uin"] =
        static_cast<double>(std::fabs(RawNormalEquationProjection(x, y) - reference) * 1e6);
}
BENCHMARK(ParabolaProjectionQuality)->Arg(30)->Arg(600)->Arg(1400)->Unit(benchmark::kMicrosecond);

} // namespace
