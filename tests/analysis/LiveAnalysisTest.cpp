#include "analysis/LiveAnalysis.h"
#include "analysis/CteFormulas.h"
#include "support/RecordingOperator.h"
#include "support/ShownAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace dilato {
namespace {

using test::RecordingOperator;
using test::ShownAnalysis;

// A running test in its second step. Step 1 ended at 20 °C with the indicator at
// 0.010000 in; step 2 holds at 80 °C. L = 2 in.
class LiveAnalysisTest : public ::testing::Test {
  protected:
    static constexpr float kStepOneEnd = 0.010000f;
    // The indicator at which the CTE from step 1 is 30 µ/°C: 0.0036 in over 60 °C less the
    // fixture's 0.000312 in.
    static constexpr float kThirtyCte = 0.010000f + 0.0036f - 0.000312f;

    LiveAnalysisTest() {
        data.reset(3);
        for (int r = 1; r <= 120; ++r)
            data.append(1, {0.1f * static_cast<float>(r), kStepOneEnd, 20.0f, 0.0f, 0.0f});
        v.testState = TestState::Hold;
        v.stepIndex = 1;
        v.sampleLength = 2.0f;
        v.sampleTemp = 80.0f;
        v.averageSlope = 2.0f;
    }

    // Step 2 readings at 0.1-minute intervals, indicator = f(elapsed minutes).
    void FillStepTwo(int count, const std::function<double(double)>& f) {
        for (int r = 1; r <= count; ++r) {
            const float t = 0.1f * static_cast<float>(r);
            data.append(2, {t, static_cast<float>(f(t)), 80.0f, 0.0f, 0.0f});
        }
        v.indicatorReading = data.value(2, ReadingColumn::Indicator, count);
    }

    RecordingOperator op;
    StepData data;
    LiveValues v;
    LiveAnalysis live{data};
    ShownAnalysis analysis{op, live};
};

TEST_F(LiveAnalysisTest, IndicatorSlopeNeedsFiftyReadingsAndTheTemperatureWait) {
    // 1e-7 in per minute is 1 µin per 10 minutes.
    FillStepTwo(60, [](double t) { return 0.0120 + 1e-7 * t; });
    EXPECT_EQ(analysis.IndicatorSlope(49, v), 0.0f);
    EXPECT_NEAR(analysis.IndicatorSlope(50, v), 1.0, 0.02);
    EXPECT_NEAR(analysis.IndicatorSlope(60, v), 1.0, 0.02);
    v.testState = TestState::TemperatureWait;
    EXPECT_NEAR(analysis.IndicatorSlope(50, v), 1.0, 0.02);
    v.testState = TestState::Settling;
    EXPECT_EQ(analysis.IndicatorSlope(60, v), 0.0f);
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(LiveAnalysisTest, IndicatorSlopeThatCannotBeComputedIsNotASettledOne) {
    FillStepTwo(60, [](double) { return 0.0120; });
    EXPECT_EQ(analysis.IndicatorSlope(121, v), kUnsettledSlope);
    EXPECT_EQ(op.last().text, "Error in IndicatorSlope: Subscript out of range");

    // fifty readings stamped with the same minute: the line fit is singular
    for (int r = 61; r <= 110; ++r)
        data.append(2, {6.0f, 0.012f, 80.0f, 0.0f, 0.0f});
    EXPECT_EQ(analysis.IndicatorSlope(110, v), kUnsettledSlope);
    EXPECT_EQ(op.last().text, "Mattrix in PolynominalFit from GetSlopeAndInter: \n"
                              "Error: Matrix determinant = 0 - no inverse exists!");
}

TEST_F(LiveAnalysisTest, IndAveSlopeAveragesTheLastWindowOfDriftValues) {
    FillStepTwo(40, [](double) { return 0.012; });
    for (int r = 1; r <= 40; ++r) // -1, +2, -3, ... : magnitudes count
        data.reading(2, r).liveSlope = static_cast<float>(r % 2 ? -r : r);
    EXPECT_FLOAT_EQ(analysis.IndAveSlope(40, v), (31.0f + 40.0f) / 2.0f) << "readings 31-40";
    EXPECT_EQ(analysis.IndAveSlope(9, v), kUnsettledSlope);
    EXPECT_FLOAT_EQ(analysis.IndAveSlope(10, v), 5.5f);
    v.accuracyOption = 2;
    EXPECT_EQ(analysis.IndAveSlope(29, v), kUnsettledSlope);
    EXPECT_FLOAT_EQ(analysis.IndAveSlope(40, v), (11.0f + 40.0f) / 2.0f) << "readings 11-40";
    v.testState = TestState::TemperatureWait;
    EXPECT_EQ(analysis.IndAveSlope(40, v), kUnsettledSlope);
    EXPECT_TRUE(op.messages.empty());

    v.testState = TestState::Hold;
    EXPECT_EQ(analysis.IndAveSlope(121, v), kUnsettledSlope);
    EXPECT_EQ(op.last().text, "Error in IndAveSlope: Subscript out of range");
}

TEST_F(LiveAnalysisTest, ProjectionIsTheParabolasVertexAndSetsTheThreshold) {
    // Settling upwards towards kThirtyCte, the vertex two minutes after the window.
    FillStepTwo(50, [](double t) { return kThirtyCte - 1e-8 * (t - 7.0) * (t - 7.0); });
    Projection p;
    analysis.ProjectIndicator(50, v, p);
    // within the float rounding of the readings, extrapolated two minutes
    EXPECT_NEAR(p.projectedIndicator, kThirtyCte, 2e-8);
    EXPECT_NEAR(p.projectedCte, 30.0, 0.01);
    EXPECT_FLOAT_EQ(p.stabilityThreshold, 15.0f);
    v.accuracyOption = 2;
    analysis.ProjectIndicator(50, v, p);
    EXPECT_FLOAT_EQ(p.stabilityThreshold, 7.5f);
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(LiveAnalysisTest, ImplausibleProjectionBlocksTheHoldCriteria) {
    FillStepTwo(50, [](double t) { return kThirtyCte - 1e-8 * (t - 7.0) * (t - 7.0); });
    const Projection before{0.5f, 12.0f, 9.0f};

    Projection p = before;
    v.indicatorReading = kThirtyCte + 0.0001f; // 100 µin away
    analysis.ProjectIndicator(50, v, p);
    EXPECT_EQ(p.projectedIndicator, 0.0f);
    EXPECT_EQ(p.stabilityThreshold, 0.0f);
    EXPECT_EQ(p.projectedCte, 12.0f) << "the projected CTE is left alone";

    p = before;
    v.indicatorReading = kThirtyCte + 0.00007f; // within 80 µin
    analysis.ProjectIndicator(50, v, p);
    EXPECT_NEAR(p.projectedIndicator, kThirtyCte, 2e-8);

    p = before;
    v.averageSlope = -1001.0f;
    analysis.ProjectIndicator(50, v, p);
    EXPECT_EQ(p.projectedIndicator, 0.0f);
    EXPECT_EQ(p.stabilityThreshold, 0.0f);

    p = before;
    v.averageSlope = 1000.0f;
    analysis.ProjectIndicator(50, v, p);
    EXPECT_NE(p.projectedIndicator, 0.0f) << "1000 itself is still accepted";
}

TEST_F(LiveAnalysisTest, ProjectionLeavesItsResultsAloneWhenItCannotRun) {
    FillStepTwo(50, [](double t) { return kThirtyCte - 1e-8 * (t - 7.0) * (t - 7.0); });
    const Projection before{0.5f, 12.0f, 9.0f};
    Projection p = before;
    analysis.ProjectIndicator(49, v, p);
    v.testState = TestState::TemperatureWait;
    analysis.ProjectIndicator(50, v, p);
    v.testState = TestState::Hold;
    analysis.ProjectIndicator(121, v, p); // the window reaches past the store: silent
    EXPECT_EQ(p.projectedIndicator, before.projectedIndicator);
    EXPECT_EQ(p.stabilityThreshold, before.stabilityThreshold);
    EXPECT_TRUE(op.messages.empty());

    for (int r = 51; r <= 100; ++r)
        data.append(2, {6.0f, 0.012f, 80.0f, 0.0f, 0.0f});
    analysis.ProjectIndicator(100, v, p);
    EXPECT_EQ(p.projectedIndicator, before.projectedIndicator);
    EXPECT_EQ(op.last().text, "Mattrix in PolynominalFit: \n"
                              "Error: Matrix determinant = 0 - no inverse exists!");
}

TEST_F(LiveAnalysisTest, FlatParabolaProjectsTheNewestReading) {
    FillStepTwo(50, [](double) { return 0.0; });
    Projection p{0.5f, 12.0f, 9.0f};
    analysis.ProjectIndicator(50, v, p);
    EXPECT_EQ(p.projectedIndicator, 0.0f);
    EXPECT_EQ(p.stabilityThreshold, 9.0f) << "no threshold from a flat fit";
}

TEST_F(LiveAnalysisTest, ProjectionStaysExactLateInADayLongHold) {
    // 50 readings ending at minute 1400, settling towards kThirtyCte.
    for (int r = 1; r <= 13951; ++r) {
        const double t = 0.1 * r;
        data.append(2, {static_cast<float>(t),
                        static_cast<float>(kThirtyCte - 1e-8 * (t - 1396.0) * (t - 1396.0)), 80.0f,
                        0.0f, 0.0f});
    }
    const int n = data.readingCount(2);
    v.indicatorReading = data.value(2, ReadingColumn::Indicator, n);
    Projection p;
    analysis.ProjectIndicator(n, v, p);
    EXPECT_NEAR(p.projectedIndicator, kThirtyCte, 2e-8)
        << "off by " << (p.projectedIndicator - kThirtyCte) * 1e6 << " µin";
    EXPECT_FLOAT_EQ(p.stabilityThreshold, 15.0f);
}

TEST_F(LiveAnalysisTest, TheSlopeCountsOnPastTheDayWhereTheStoredMinutesStartAgain) {
    // A drift of 1 µin per 10 minutes through minute 1440, where the stored minutes wrap.
    for (int r = 1; r <= 14430; ++r) {
        const double t = 0.1 * r;
        data.append(2, {static_cast<float>(std::fmod(t, 1440.0)),
                        static_cast<float>(0.0120 + 1e-7 * (t - 1400.0)), 80.0f, 0.0f, 0.0f});
    }
    const int n = data.readingCount(2);
    ASSERT_LT(data.value(2, ReadingColumn::Elapsed, n), data.value(2, ReadingColumn::Elapsed, n - 49));
    EXPECT_NEAR(analysis.IndicatorSlope(n, v), 1.0, 0.05);
}

// With the column's measured correction the projected CTE is the sample's as its results will
// give it: a column that shrinks 0.5 µin per degree, not the fixed 5.2 µin it grows.
TEST_F(LiveAnalysisTest, CteLiveTakesTheTestsMeasuredCorrection) {
    const auto column = ColumnCorrection::Fit(
        {{20, 0, 1e-7}, {50, -15e-6, 1e-7}, {80, -30e-6, 1e-7}}, 2.0, 0.014);
    ASSERT_TRUE(column);
    v.correction = &*column;
    EXPECT_NEAR(analysis.CteLive(kThirtyCte, v), (0.0036 - 0.000312 + 30e-6) / 2 / 60 * 1e6,
                0.01);
    v.correction = nullptr;
    EXPECT_NEAR(analysis.CteLive(kThirtyCte, v), 30.0, 0.01);
}

TEST_F(LiveAnalysisTest, CteLiveMeasuresFromTheEndOfThePreviousStep) {
    EXPECT_NEAR(analysis.CteLive(kThirtyCte, v), 30.0, 0.01);
    v.sampleTemp = 50.0f; // half the temperature change, same indicator change
    EXPECT_NEAR(analysis.CteLive(kThirtyCte, v),
                (0.0036 - 0.000312 + SystemCorrection(30.0f, 2.0f)) / 2 / 30 * 1e6, 0.01);
    EXPECT_EQ(analysis.CteLive(0.0f, v), 0.0f);
    EXPECT_EQ(analysis.CteLive(-0.01f, v), 0.0f);
    v.sampleLength = 0.49f;
    EXPECT_EQ(analysis.CteLive(kThirtyCte, v), 0.0f);
    v.sampleLength = 2.0f;
    v.stepIndex = 0;
    EXPECT_EQ(analysis.CteLive(kThirtyCte, v), 0.0f);
    EXPECT_TRUE(op.messages.empty());

    v.stepIndex = 2; // step 2 has no reading yet
    EXPECT_EQ(analysis.CteLive(kThirtyCte, v), 0.0f);
    EXPECT_EQ(op.last().text, "Error in CteLive: Subscript out of range");
}

TEST_F(LiveAnalysisTest, SlopeThresholdClampsInNormalAndHighAccuracy) {
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(6.0f, v), 5.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(30.0f, v), 15.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(-30.0f, v), 15.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(70.0f, v), 35.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(100.0f, v), 35.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(std::nanf(""), v), 5.0f);
    v.accuracyOption = 2;
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(30.0f, v), 7.5f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(19.0f, v), 5.0f);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(200.0f, v), 35.0f);
}

TEST_F(LiveAnalysisTest, FirstStepThresholdRestsOnTheInitialEstimate) {
    v.stepIndex = 0;
    v.initialReading = {3600, 2.0f, 0.010000f, 20.0f};
    v.sampleTemp = 25.0f;
    v.indicatorReading = 0.0106f;
    EXPECT_FLOAT_EQ(analysis.InitialCteEstimate(v), 20.0f) << "only 5 °C moved";
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(100.0f, v), 10.0f) << "the argument is not used";

    v.sampleTemp = 80.0f;
    v.indicatorReading = 0.0136f; // 0.0036 in over 60 °C on 2 in: 30
    EXPECT_NEAR(analysis.InitialCteEstimate(v), 30.0, 0.01);
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(0.0f, v), 15.0f);
    v.sampleTemp = -40.0f;
    v.indicatorReading = 0.0064f;
    EXPECT_NEAR(analysis.InitialCteEstimate(v), -30.0, 0.01) << "shrinking over |dT|";
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(0.0f, v), 15.0f);

    v.testState = TestState::Idle; // no test running: the argument counts again
    EXPECT_FLOAT_EQ(analysis.SlopeThreshold(12.0f, v), 6.0f);
}

} // namespace
} // namespace dilato
