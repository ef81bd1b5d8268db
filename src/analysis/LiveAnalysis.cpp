#include "analysis/LiveAnalysis.h"

#include "analysis/FinalResults.h"
#include "analysis/PolynomialFit.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace dilato {

namespace {

// Largest distance of a plausible projection from the present indicator, inches (80 µin),
// and largest mean drift at which a projection is trusted, µin per 10 min.
constexpr double kPlausibleDistance = 0.00008;
constexpr double kPlausibleAverageSlope = 1000.0;

struct Window {
    std::array<float, kFitWindow> x{}; // elapsed minutes
    std::array<float, kFitWindow> y{}; // indicator
};

constexpr float kMinutesPerDay = 1440.0f;

// Readings n - 49 to n of a step. The stored minutes start again at 0 after a day; the
// window counts on past it, so a hold that lasts beyond a day keeps its true slope.
Window LastReadings(const StepData& data, int step, int n) {
    Window w;
    float wraps = 0.0f;
    for (int i = 0; i < kFitWindow; ++i) {
        const int r = n - kFitWindow + 1 + i;
        const float minutes = data.value(step, ReadingColumn::Elapsed, r) + wraps;
        const auto at = static_cast<size_t>(i);
        if (i > 0 && minutes < w.x[at - 1]) {
            wraps += kMinutesPerDay;
            w.x[at] = minutes + kMinutesPerDay;
        } else {
            w.x[at] = minutes;
        }
        w.y[at] = data.value(step, ReadingColumn::Indicator, r);
    }
    return w;
}

} // namespace

namespace {

Failure<AnalysisError> Failed(const char* place, const std::exception& e) {
    return FailedIn(place, e.what(), AnalysisError::Weight::Error);
}

} // namespace

Analysed<float> LiveAnalysis::IndicatorSlope(int n, const LiveValues& v) const {
    if (n < kFitWindow || v.testState < TestState::TemperatureWait) return 0.0f;
    try {
        const Window w = LastReadings(data_, v.stepIndex + 1, n);
        float slope = 0.0f;
        float intercept = 0.0f;
        if (auto fitted = GetSlopeAndInter(w.x, w.y, slope, intercept); !fitted)
            return Fail(fitted.error());
        return slope * 1000000.0f * 10.0f; // inches per minute to µin per 10 minutes
    } catch (const std::exception& e) {
        return Failed("IndicatorSlope", e);
    }
}

Analysed<float> LiveAnalysis::IndAveSlope(int n, const LiveValues& v) const {
    const int window = v.accuracyOption == 2 ? 30 : 10;
    if (n < window || v.testState < TestState::Hold) return kUnsettledSlope;
    try {
        const int step = v.stepIndex + 1;
        double sum = 0.0;
        for (int r = n - window + 1; r <= n; ++r)
            sum += std::fabs(data_.value(step, ReadingColumn::LiveSlope, r));
        return static_cast<float>(sum / window);
    } catch (const std::exception& e) {
        return Failed("IndAveSlope", e);
    }
}

Analysed<void> LiveAnalysis::ProjectIndicator(int n, const LiveValues& v, Projection& out) const {
    if (n < kFitWindow || v.testState < TestState::Hold) return {};
    try {
        const Window w = LastReadings(data_, v.stepIndex + 1, n);
        FitCoefficients fit;
        if (auto fitted = PolynomialFit(w.x, w.y, 0, kFitWindow - 1, 2, fit); !fitted)
            return FitFailure(fitted.error(), "Mattrix in PolynominalFit: \n");
        if (fit.coef(2) == 0.0) {
            out.projectedIndicator = w.y[kFitWindow - 1];
            return {};
        }
        // The parabola's vertex: where the indicator comes to rest.
        const float vertex = static_cast<float>(-fit.coef(1) / fit.coef(2) / 2.0);
        const float projected = static_cast<float>(fit.valueAt(vertex));
        // Too far from the present reading, or the drift still too large: no projection on
        // this reading. A value that is not a number is never plausible.
        const bool near =
            std::fabs(static_cast<double>(projected) - v.indicatorReading) <= kPlausibleDistance;
        const bool calm = std::fabs(v.averageSlope) <= kPlausibleAverageSlope;
        if (!near || !calm) {
            out.projectedIndicator = 0.0f;
            out.stabilityThreshold = 0.0f;
            return {};
        }
        out.projectedIndicator = projected;
        const Analysed<float> cte = CteLive(projected, v);
        out.projectedCte = cte.valueOr(0.0f);
        out.stabilityThreshold = SlopeThreshold(out.projectedCte, v);
        if (!cte) return Fail(cte.error());
    } catch (const std::out_of_range&) {
        // A window reaching outside the store: no projection this time, silently.
    } catch (const std::exception& e) {
        return Failed("ProjectIndicator", e);
    }
    return {};
}

Analysed<float> LiveAnalysis::CteLive(float indicator, const LiveValues& v) const {
    if (!(indicator > 0.0f) || v.sampleLength < 0.5f || v.stepIndex == 0) return 0.0f;
    try {
        const int previous = v.stepIndex; // 1-based number of the step just finished
        const int end = EndOfStep(data_, previous);
        return CteBetweenEnds(data_.value(previous, ReadingColumn::Temperature, end),
                              data_.value(previous, ReadingColumn::Indicator, end), v.sampleTemp,
                              indicator, v.sampleLength, v.correction);
    } catch (const std::exception& e) {
        return Failed("CteLive", e);
    }
}

float LiveAnalysis::SlopeThreshold(float cte, const LiveValues& v) const {
    const float divisor = v.accuracyOption < 2 ? 2.0f : 4.0f;
    float b = 0.0f;
    if (v.stepIndex != 0 || v.testState == TestState::Idle)
        b = std::fabs(cte / divisor);
    else
        b = std::fabs(InitialCteEstimate(v)) / divisor;
    if (!(b >= 5.0f)) b = 5.0f;
    if (b > 35.0f) b = 35.0f;
    return b;
}

float LiveAnalysis::InitialCteEstimate(const LiveValues& v) const {
    const InitialReading& start = v.initialReading;
    const float dT = v.sampleTemp - start.sampleTemp;
    if (std::fabs(dT) > 10.0f)
        return static_cast<float>(static_cast<double>(v.indicatorReading - start.indicator) /
                                  std::fabs(dT) / start.sampleLength * 1000000.0);
    return 20.0f;
}

} // namespace dilato
