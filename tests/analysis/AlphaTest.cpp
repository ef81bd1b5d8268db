// α(T) from a test's step ends, and the statistics of a batch of results.

#include "analysis/AlphaOfTemperature.h"
#include "analysis/BatchStatistics.h"
#include "analysis/ColumnCorrection.h"
#include "analysis/CteFormulas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace dilato {
namespace {

constexpr double kLength = 2.0; // inches

// A sample whose α rises linearly with temperature: α(T) = a + b T (10^-6 per °C). Each step
// ends at its temperature with the indicator the instrument reads (the fixture's expansion
// taken off), plus `noise[i]` inches.
std::vector<StepEvidence> Steps(const std::vector<double>& temps, double a, double b,
                                const std::vector<double>& noise = {}) {
    std::vector<StepEvidence> steps;
    const double t0 = temps.front();
    for (size_t i = 0; i < temps.size(); ++i) {
        const double t = temps[i];
        const double strain = (a * (t - t0) + 0.5 * b * (t * t - t0 * t0)) * 1e-6;
        StepEvidence s;
        s.step = static_cast<int>(i) + 1;
        s.endTemperature = static_cast<float>(t);
        s.endIndicator = static_cast<float>(
            0.1 + strain * kLength - SystemCorrection(static_cast<float>(t - t0), kLength) +
            (i < noise.size() ? noise[i] : 0.0));
        s.indicatorSigma = 2e-6;
        s.tempSigma = 0.02;
        steps.push_back(s);
    }
    return steps;
}

TEST(AlphaOfTemperature, FollowsASampleWhoseAlphaRisesWithTemperature) {
    const double a = 15.0, b = 0.02;
    const auto steps = Steps({20, 40, 60, 80, 100}, a, b);
    const AlphaOutcome out = AlphaOfTemperature(steps, kLength);
    ASSERT_TRUE(out.ok()) << AlphaErrorText(*out.error);
    const AlphaCurves& c = *out.curves;
    EXPECT_EQ(c.legSteps, 5);
    EXPECT_EQ(c.degree, 3);
    // The technical α to each step is the mean over the interval from the first.
    ASSERT_EQ(c.technical.size(), 4u);
    for (const AlphaPoint& p : c.technical) {
        const double mean = a + 0.5 * b * (20.0 + p.temperature);
        EXPECT_NEAR(p.alpha, mean, 0.02) << "to " << p.temperature;
        EXPECT_GT(p.expandedU, 0.0);
        EXPECT_LT(p.expandedU, 0.2 * mean) << "a budget, not the value itself";
    }
    // The physical α is the slope of the strain: α(T) itself, within single precision.
    ASSERT_FALSE(c.physical.empty());
    for (const AlphaPoint& p : c.physical) {
        EXPECT_NEAR(p.alpha, a + b * p.temperature, 0.05) << "at " << p.temperature;
        EXPECT_GT(p.expandedU, 0.0);
    }
    // Never beyond the plan: the curve runs from the first step's temperature to the last's.
    EXPECT_DOUBLE_EQ(c.physical.front().temperature, 20.0);
    EXPECT_DOUBLE_EQ(c.physical.back().temperature, 100.0);
    for (size_t i = 1; i < c.physical.size(); ++i)
        EXPECT_LT(c.physical[i - 1].temperature, c.physical[i].temperature);
}

TEST(AlphaOfTemperature, DegreeGrowsWithTheStepsUpToThree) {
    const int cases[][2] = {{3, 1}, {4, 2}, {5, 3}, {6, 3}, {10, 3}};
    for (const auto& [steps, degree] : cases)
        EXPECT_EQ(AlphaDegree(steps), degree) << steps << " steps";
}

TEST(AlphaOfTemperature, UsesOnlyTheFirstLegAndRefusesTooFewSteps) {
    struct Case {
        std::vector<double> temps;
        int leg;
        bool ok;
    };
    const Case cases[] = {
        {{20, 60}, 2, false},
        {{20, 60, 20}, 2, false},         // out and back: one interval each way
        {{20, 40, 60, 20}, 3, true},      // the return step is left out
        {{100, 70, 40, 10}, 4, true},     // a cooling leg first
        {{20, 40, 60, 80, 60, 40}, 4, true},
    };
    for (const Case& c : cases) {
        const auto steps = Steps(c.temps, 12.0, 0.0);
        EXPECT_EQ(FirstLegSteps(steps), c.leg) << c.temps.size() << " steps";
        const AlphaOutcome out = AlphaOfTemperature(steps, kLength);
        EXPECT_EQ(out.ok(), c.ok) << c.temps.size() << " steps";
        if (!c.ok) {
            EXPECT_EQ(out.error, AlphaError::TooFewSteps);
        } else {
            EXPECT_EQ(out.curves->legSteps, c.leg);
            EXPECT_NEAR(out.curves->physical.front().alpha, 12.0, 0.05);
        }
    }
    EXPECT_EQ(AlphaOfTemperature(Steps({20, 40, 60}, 12, 0), 0.0).error,
              AlphaError::NoSampleLength);
    auto flat = Steps({20, 40, 60}, 12, 0);
    flat[2].endTemperature = flat[1].endTemperature;
    EXPECT_FALSE(AlphaOfTemperature(flat, kLength).ok());
}

TEST(AlphaOfTemperature, ScatterBeyondTheStepsOwnUncertaintyWidensThePhysicalBand) {
    const std::vector<double> temps{20, 35, 50, 65, 80, 95};
    const AlphaOutcome clean = AlphaOfTemperature(Steps(temps, 17.0, 0.0), kLength);
    const AlphaOutcome noisy =
        AlphaOfTemperature(Steps(temps, 17.0, 0.0, {0, 40e-6, -40e-6, 40e-6, -40e-6, 0}), kLength);
    ASSERT_TRUE(clean.ok() && noisy.ok());
    EXPECT_LT(clean.curves->birgeRatio, 1.0);
    EXPECT_GT(noisy.curves->birgeRatio, 3.0);
    const size_t mid = clean.curves->physical.size() / 2;
    EXPECT_GT(noisy.curves->physical[mid].expandedU, 2.0 * clean.curves->physical[mid].expandedU);
}

TEST(AlphaOfTemperature, TheFixedCorrectionsFrameWeighsMoreOnAlphaBelowZero) {
    const std::vector<double> temps{-40, -10, 20, 50, 80};
    // The same figures with a frame whose alpha stays within its tenth at every temperature.
    InstrumentFigures steady;
    steady.frameZeroExpansionTemp = -1e12;
    const AlphaOutcome bound = AlphaOfTemperature(Steps(temps, 17.0, 0.0), kLength);
    const AlphaOutcome flat = AlphaOfTemperature(Steps(temps, 17.0, 0.0), kLength, nullptr, steady);
    ASSERT_TRUE(bound.ok() && flat.ok());
    const auto& b = bound.curves->physical;
    const auto& f = flat.curves->physical;
    ASSERT_EQ(b.size(), f.size());
    EXPECT_DOUBLE_EQ(b.front().temperature, -40.0);
    EXPECT_GT(b.front().expandedU, 1.2 * f.front().expandedU) << "at -40 °C";
    EXPECT_NEAR(b.back().expandedU, f.back().expandedU, 1e-9) << "at 80 °C";
}

TEST(AlphaOfTemperature, ATestMeasuredWithAColumnCorrectionIsTakenWithIt) {
    // A column that grows other than the fixed correction says, learnt by a reference run
    // over the same temperatures and kept as the test's correction.
    const double a = 0.55, b = 0.001; // a glass: the column weighs most
    const std::vector<double> temps{-20, 10, 40, 70, 100};
    const auto column = [&](double t) {
        return 2.6e-6 * (t - temps[0]) + 2e-9 * (t - temps[0]) * (t - temps[0]);
    };
    std::vector<CorrectionPoint> points;
    for (const double t : temps)
        points.push_back({t, column(t), 0.2e-6});
    const auto correction = ColumnCorrection::Fit(points, kLength, 0.014);
    ASSERT_TRUE(correction);
    // The instrument read the sample's expansion and the column's together.
    auto steps = Steps(temps, a, b);
    for (StepEvidence& s : steps)
        s.endIndicator = static_cast<float>(
            0.1 +
            (a * (s.endTemperature - temps[0]) +
             0.5 * b * (s.endTemperature * s.endTemperature - temps[0] * temps[0])) *
                1e-6 * kLength +
            column(s.endTemperature));
    const AlphaOutcome with = AlphaOfTemperature(steps, kLength, &*correction);
    const AlphaOutcome fixed = AlphaOfTemperature(steps, kLength);
    ASSERT_TRUE(with.ok() && fixed.ok());
    for (const AlphaPoint& p : with.curves->physical)
        EXPECT_NEAR(p.alpha, a + b * p.temperature, 0.03) << "at " << p.temperature;
    const AlphaPoint& top = with.curves->technical.back();
    EXPECT_NEAR(top.alpha, a + 0.5 * b * (temps[0] + top.temperature), 0.01);
    EXPECT_GT(std::fabs(fixed.curves->technical.back().alpha - top.alpha), 0.2)
        << "the fixed correction is not this column";
    // The band carries the measured correction's uncertainty, not the fixed one's frame terms.
    EXPECT_LT(with.curves->physical.back().expandedU,
              0.5 * fixed.curves->physical.back().expandedU);
    EXPECT_LT(top.expandedU, 0.5 * fixed.curves->technical.back().expandedU);
}

TEST(BatchStatistics, MeanSpreadAndBirgeRatio) {
    const std::vector<BatchValue> agree{{10.0, 2.0}, {12.0, 2.0}, {14.0, 2.0}};
    const BatchStatistics s = BatchStatisticsOf(agree);
    EXPECT_EQ(s.count, 3);
    EXPECT_DOUBLE_EQ(s.mean, 12.0);
    EXPECT_DOUBLE_EQ(s.standardDeviation, 2.0);
    ASSERT_TRUE(s.weightedMean && s.birgeRatio);
    EXPECT_DOUBLE_EQ(*s.weightedMean, 12.0);
    EXPECT_DOUBLE_EQ(*s.birgeRatio, 2.0); // u = 1: chi^2 = 8 over 2 degrees of freedom

    // A result without U counts in the mean and spread, not in the consistency check; the
    // weights pull the weighted mean to the better-known results.
    const std::vector<BatchValue> mixed{{10.0, 1.0}, {20.0, 4.0}, {30.0, std::nullopt}};
    const BatchStatistics m = BatchStatisticsOf(mixed);
    EXPECT_DOUBLE_EQ(m.mean, 20.0);
    EXPECT_EQ(m.weightedCount, 2);
    EXPECT_NEAR(*m.weightedMean, (10.0 / 0.25 + 20.0 / 4.0) / (1 / 0.25 + 1 / 4.0), 1e-12);

    const std::vector<BatchValue> one{{11.0, 1.0}};
    const BatchStatistics o = BatchStatisticsOf(one);
    EXPECT_EQ(o.standardDeviation, 0.0);
    EXPECT_FALSE(o.birgeRatio);
}

} // namespace
} // namespace dilato
