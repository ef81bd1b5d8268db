#pragma once
// The drift and projection values computed after each stored reading of a running test,
// which decide when a step has settled:
//  - IndicatorSlope: drift of the last 50 readings (straight-line fit), µin per 10 min;
//  - IndAveSlope: mean of the last 10 (High accuracy: 30) stored drift values;
//  - ProjectIndicator: where the indicator is heading (vertex of a parabola through the last
//    50 readings), the CTE it implies and the drift threshold that follows from it;
//  - CteLive, SlopeThreshold, InitialCteEstimate: the pieces of that projection.
// The sequencer owns the reading store and the test's values; it hands them in with each
// call and keeps the projection results. A computation that fails hands back its failure
// and shows nothing; the caller tells the operator and goes on with the fallback each
// method names.

#include "analysis/AnalysisError.h"
#include "analysis/ColumnCorrection.h"
#include "analysis/StepData.h"
#include "analysis/TestState.h"

namespace dilato {

// Drift value that stands for "not settled yet" (before the hold phase, or when the drift
// could not be computed).
inline constexpr float kUnsettledSlope = 5000.0f;
// Readings in the windows of the line and parabola fits.
inline constexpr int kFitWindow = 50;

// The running test's values the live routines read, as the sequencer and the instrument
// links hold them at the time of the call.
struct LiveValues {
    TestState testState = TestState::Idle; // the phase of the running test
    int stepIndex = 0;                    // `StepIndex`, 0-based current step
    float sampleLength = 0.0f;            // `SampleLength`, inches
    float sampleTemp = 0.0f;              // `SampleTemp`, °C
    float indicatorReading = 0.0f;        // `IndicatorReading`, inches
    float averageSlope = kUnsettledSlope; // `AverageSlope`: the latest IndAveSlope
    InitialReading initialReading;        // `InitialReading`
    int accuracyOption = 1;               // 1 Normal, 2 High
    // The column's measured correction the test's results use; none: the fixed one. The
    // projected CTE is the sample's on the same footing as its results.
    const ColumnCorrection* correction = nullptr;
};

// What ProjectIndicator writes; the sequencer owns it and reads it after each call.
struct Projection {
    float projectedIndicator = 0.0f; // `ProjectedIndicator`, inches; 0 = no usable projection
    float projectedCte = 0.0f;       // `ProjectedCte`
    float stabilityThreshold = 0.0f; // `StabilityThreshold`, µin per 10 min
};

class LiveAnalysis {
  public:
    explicit LiveAnalysis(const StepData& data) : data_(data) {}

    // n is the reading count of the current step (step `StepIndex` + 1). On failure the
    // drift is kUnsettledSlope: a drift that could not be computed must not pass for a
    // settled one.
    [[nodiscard]] Analysed<float> IndicatorSlope(int n, const LiveValues& v) const;
    [[nodiscard]] Analysed<float> IndAveSlope(int n, const LiveValues& v) const;
    // Call after AverageSlope has been refreshed for reading n. On failure `out` holds what
    // was projected before it (a failed CTE leaves the projection with a CTE of 0).
    [[nodiscard]] Analysed<void> ProjectIndicator(int n, const LiveValues& v,
                                                  Projection& out) const;

    // CTE from the end of the previous step to the present temperature and `indicator`; 0
    // on failure.
    [[nodiscard]] Analysed<float> CteLive(float indicator, const LiveValues& v) const;
    // Drift limit from a CTE: |cte| / 2 (High accuracy / 4), within 5 to 35; on the first
    // step of a running test it rests on InitialCteEstimate instead.
    [[nodiscard]] float SlopeThreshold(float cte, const LiveValues& v) const;
    // Rough CTE from the start of the test (20 until the temperature has moved 10 °C).
    [[nodiscard]] float InitialCteEstimate(const LiveValues& v) const;

  private:
    const StepData& data_;
};

} // namespace dilato
