#pragma once
// The analysis as its callers use it: a failure shown to the operator (and, when fatal, the
// program's end) the way the sequencer, the step's save and the plots show it, so that the
// tests of the analysis see the very messages the operator sees.

#include "analysis/CteFormulas.h"
#include "analysis/FinalResults.h"
#include "analysis/LiveAnalysis.h"
#include "analysis/PolynomialFit.h"
#include "storage/AnalysisErrors.h"

#include <span>
#include <string>

namespace dilato::test {

// The analysis as the sequencer uses it: a failure shown to the operator, the fallback taken.
struct ShownAnalysis {
    Operator& op;
    const LiveAnalysis& live;
    float IndicatorSlope(int n, const LiveValues& v) const {
        return ValueOrShown(op, live.IndicatorSlope(n, v), kUnsettledSlope);
    }
    float IndAveSlope(int n, const LiveValues& v) const {
        return ValueOrShown(op, live.IndAveSlope(n, v), kUnsettledSlope);
    }
    void ProjectIndicator(int n, const LiveValues& v, Projection& out) const {
        ShowIfFailed(op, live.ProjectIndicator(n, v, out));
    }
    float CteLive(float indicator, const LiveValues& v) const {
        return ValueOrShown(op, live.CteLive(indicator, v), 0.0f);
    }
    float SlopeThreshold(float cte, const LiveValues& v) const {
        return live.SlopeThreshold(cte, v);
    }
    float InitialCteEstimate(const LiveValues& v) const { return live.InitialCteEstimate(v); }
};

// The fit's matrix error text ("" when it fitted); a fatal failure is shown.
inline std::string FitText(Operator& op, std::span<const float> x, std::span<const float> y,
                           int first, int last, int degree, FitCoefficients& fit) {
    const Analysed<void> fitted = PolynomialFit(x, y, first, last, degree, fit);
    if (fitted) return {};
    if (fitted.error().weight == AnalysisError::Weight::Fatal)
        ShowAnalysisError(op, fitted.error());
    return fitted.error().message;
}

inline bool SlopeAndInter(Operator& op, std::span<const float> x, std::span<const float> y,
                          float& slope, float& intercept) {
    const Analysed<void> fitted = GetSlopeAndInter(x, y, slope, intercept);
    ShowIfFailed(op, fitted);
    return fitted.ok();
}

inline std::string PlotString(Operator& op, float t1, float t2, float i1, float i2,
                              float sampleLength) {
    return ValueOrShown(op, CtePlotString(t1, t2, i1, i2, sampleLength), std::string());
}

inline void FinalResults(Operator& op, const StepData& data, std::span<const double> setPoints,
                         float sampleLength, int last, ResultTable& table,
                         std::span<const StepEndValue> ends = {}) {
    ShowIfFailed(op, ComputeFinalResults(data, setPoints, sampleLength, last, table, ends));
}

} // namespace dilato::test
