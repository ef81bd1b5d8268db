#include "analysis/CteFormulas.h"
#include "platform/Format.h"
#include "support/RecordingOperator.h"
#include "support/ShownAnalysis.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using namespace test;

TEST(SystemCorrection, TakesOffTheShortSampleShareBelowTwoInches) {
    EXPECT_FLOAT_EQ(SystemCorrection(60.0f, 2.0f), 0.000312f);
    EXPECT_FLOAT_EQ(SystemCorrection(60.0f, 2.5f), 0.000312f) << "nothing subtracted above 2 in";
    EXPECT_FLOAT_EQ(SystemCorrection(60.0f, 1.5f), 0.000294f);
    EXPECT_FLOAT_EQ(SystemCorrection(-60.0f, 1.5f), -0.000294f);
    EXPECT_FLOAT_EQ(SystemCorrection(0.0f, 1.0f), 0.0f);
}

TEST(CteFromChange, WorkedExamplesAndTheFlatTemperatureGuard) {
    const float dI = 0.00120f + SystemCorrection(60.0f, 2.0f);
    EXPECT_EQ(FormatSingle(CteFromChange(60.0f, dI, 2.0f), "0.0"), "12.6");
    EXPECT_NEAR(CteFromChange(60.0f, dI, 2.0f), 12.6, 1e-5);
    EXPECT_NEAR(CteFromChange(-60.0f, -dI, 2.0f), 12.6, 1e-5) << "cooling gives the same CTE";
    EXPECT_NEAR(CteFromChange(60.0f, -0.0006f, 1.0f), -10.0, 1e-5);
    EXPECT_EQ(CteFromChange(0.0000099f, 0.001f, 2.0f), 0.0f);
    EXPECT_EQ(CteFromChange(-0.0000099f, 0.001f, 2.0f), 0.0f);
    EXPECT_NE(CteFromChange(0.00002f, 0.001f, 2.0f), 0.0f);
}

TEST(AccuracyEstimate, SumsThreeAbsoluteTermsAndGuardsTinyInputs) {
    // L = 2, dT = 60, cte = 12.6: 0.4/60 + 40/(2 x 12.6 x 60) + 1.04/(2 x 12.6)
    const double expected = 0.4 / 60 + 40 / (2 * 12.6 * 60) + 1.04 / (2 * 12.6);
    EXPECT_NEAR(AccuracyEstimate(60.0f, 12.6f, 2.0f), expected, 1e-7);
    EXPECT_NEAR(AccuracyEstimate(60.0f, -12.6f, 2.0f), expected, 1e-7) << "negative CTE";
    EXPECT_NEAR(AccuracyEstimate(-60.0f, 12.6f, 2.0f), expected, 1e-7);
    EXPECT_GT(AccuracyEstimate(-60.0f, -12.6f, 2.0f), 0.0f);
    EXPECT_EQ(AccuracyEstimate(0.0000099f, 12.6f, 2.0f), 0.0f);
    EXPECT_EQ(AccuracyEstimate(60.0f, 0.0000000099f, 2.0f), 0.0f);
    // fused silica: below the method's floor the estimate is large, and says so
    EXPECT_GT(AccuracyEstimate(60.0f, 0.55f, 2.0f), 1.0f);
}

TEST(CtePlotString, ExactCaption) {
    RecordingOperator op;
    // L = 2: a change of 0.0012 in plus the fixture over 20 to 80 °C is 12.6 µ/°C.
    const float i1 = 0.010000f;
    const float i2 = i1 + 0.00120f + SystemCorrection(60.0f, 2.0f);
    const float cte = CteFromChange(60.0f, i2 - i1, 2.0f);
    const std::string percent = FormatSingle(AccuracyEstimate(60.0f, cte, 2.0f) * 100, "0.0");
    EXPECT_EQ(percent, "7.4");
    EXPECT_EQ(PlotString(op, 20.0f, 80.0f, i1, i2, 2.0f),
              "CTE:  20\u00B0C to  80\u00B0C = 12.6 \u00B5/\u00B0C +/-7.4%");
    // Whole degrees right-aligned in three characters; longer texts keep their last three.
    EXPECT_EQ(PlotString(op, -5.4f, 150.0f, i2, i1, 2.0f).substr(0, 25),
              "CTE:  -5\u00B0C to 150\u00B0C = -");
    EXPECT_EQ(PlotString(op, -100.0f, 7.0f, i1, i1, 2.0f),
              "CTE: 100\u00B0C to   7\u00B0C = 0.0 \u00B5/\u00B0C +/-0.0%");
    EXPECT_TRUE(op.messages.empty());
}

} // namespace
} // namespace dilato
