// The calibration's arithmetic: the plan, the stability windows, the line fits with their
// limits and the record's temperature fields.

#include "calibration/CalibrationMath.h"

#include <gtest/gtest.h>

#include <vector>

namespace dilato {
namespace {

TEST(CalibrationPlan, FivePointsFromTheLowerLimitInStepsOf25) {
    EXPECT_EQ(CalibrationPlan(), (std::vector<int>{-10, 15, 40, 65, 90}));
}

TEST(CalibrationStability, AWindowNeedsTwoReadingsMoreThanItsLength) {
    for (const int window : {kSerialStableWindow, kManualStableWindow}) {
        SCOPED_TRACE(window);
        std::vector<float> steady(static_cast<size_t>(window) + 1, 25.0f);
        EXPECT_FALSE(ReadingsStable(steady, window)) << window + 1 << " readings";
        steady.push_back(25.0f);
        EXPECT_TRUE(ReadingsStable(steady, window)) << window + 2 << " readings";
    }
    EXPECT_EQ(kSerialStableWindow + 2, 22);
    EXPECT_EQ(kManualStableWindow + 2, 62);
}

TEST(CalibrationStability, OnlyTheLatestWindowCountsAndBothDeviationLimitsApply) {
    std::vector<float> alternating;
    for (int i = 0; i < 30; ++i)
        alternating.push_back(i % 2 ? 25.25f : 25.0f);
    EXPECT_FALSE(ReadingsStable(alternating, 20)) << "mean deviation 0.125";

    std::vector<float> close;
    for (int i = 0; i < 30; ++i)
        close.push_back(i % 2 ? 25.05f : 24.95f);
    EXPECT_TRUE(ReadingsStable(close, 20)) << "within 0.05 of the mean";

    std::vector<float> settled(10, 40.0f); // a step long ago, then steady
    settled.insert(settled.begin(), 10, 15.0f);
    settled.insert(settled.end(), 20, 40.0f);
    EXPECT_TRUE(ReadingsStable(settled, 20)) << "older readings are outside the window";

    std::vector<float> oneSpike(22, 40.0f);
    oneSpike[15] = 40.25f; // mean deviation tiny, largest above 0.2
    EXPECT_FALSE(ReadingsStable(oneSpike, 20));
}

TEST(CalibrationFit, LinesThroughExactPointsAndTheAcceptanceLimits) {
    const std::vector<double> x{-10, 15, 40, 65, 90};
    const CalLine identity = FitCalLine(x, x);
    EXPECT_NEAR(identity.slope, 1.0, 1e-12);
    EXPECT_NEAR(identity.intercept, 0.0, 1e-12);
    EXPECT_TRUE(CalLineAccepted(identity));

    std::vector<double> y;
    for (double v : x)
        y.push_back(1.02 * v - 0.8);
    const CalLine line = FitCalLine(x, y);
    EXPECT_NEAR(line.slope, 1.02, 1e-12);
    EXPECT_NEAR(line.intercept, -0.8, 1e-12);

    EXPECT_FALSE(CalLineAccepted({0.89, 0.0})) << "|1 - 0.89| = 0.11";
    EXPECT_TRUE(CalLineAccepted({0.91, 0.0}));
    EXPECT_TRUE(CalLineAccepted({1.0, -4.99}));
    EXPECT_FALSE(CalLineAccepted({1.0, 5.0})) << "the intercept must stay below 5";
    EXPECT_FALSE(CalLineAccepted({1.0, -5.0}));
    EXPECT_THROW((void)FitCalLine(std::vector<double>{3, 3}, std::vector<double>{1, 2}),
                 std::domain_error);
}

TEST(CalibrationRecordField, RightAlignedInEightCharactersWithDegrees) {
    EXPECT_EQ(CalField(20.0), "  20.0\xC2\xB0" "C");
    EXPECT_EQ(CalField(-10.04), " -10.0\xC2\xB0" "C");
    EXPECT_EQ(CalField(0.05), "   0.1\xC2\xB0" "C") << "half away from zero";
    EXPECT_EQ(CalField(-0.04), "   0.0\xC2\xB0" "C") << "no negative zero";
    EXPECT_EQ(CalField(-123.46), "-123.5\xC2\xB0" "C");
    EXPECT_EQ(CalField(12345.6), "2345.6\xC2\xB0" "C") << "the last 8 characters";
}

} // namespace
} // namespace dilato
