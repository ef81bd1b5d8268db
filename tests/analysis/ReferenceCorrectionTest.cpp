// The certified reference materials, a lab's own specimen file, and the column correction a
// reference run learns: that it recovers a sample's CTE from readings that carry a column of
// known expansion, carries over to another sample length, and feeds the budget its own
// uncertainty in place of the fixed correction's.

#include "analysis/ColumnCorrection.h"
#include "analysis/FinalResults.h"
#include "analysis/ReferenceMaterial.h"
#include "analysis/UncertaintyBudget.h"

#include <gtest/gtest.h>

#include <cmath>

namespace dilato {
namespace {

TEST(ReferenceMaterial, CopperFollowsTheCertifiedFitOfSrm736) {
    const ReferenceMaterial* copper = ShippedReferenceMaterial("srm736");
    ASSERT_NE(copper, nullptr);
    EXPECT_TRUE(copper->figures);
    // The certified fit's values, as the simulated truth quotes them.
    const std::pair<double, double> table[] = {{-30, 15.96}, {0, 16.38}, {20, 16.61},
                                               {30, 16.72},  {50, 16.92}, {80, 17.19}};
    for (const auto& [t, alpha] : table)
        EXPECT_NEAR(copper->alpha(t), alpha, 0.006) << t << " degrees C";
    EXPECT_NEAR(copper->meanAlpha(-30, 30), 16.36, 0.01);
    EXPECT_NEAR(copper->meanAlpha(20, 80), 16.91, 0.01);
    EXPECT_NEAR(copper->expansion(80, 20), -copper->expansion(20, 80), 1e-9);
    EXPECT_GT(copper->alphaUncertainty, 0.0);
    for (const char* name : {"SRM739", "SRM731"}) {
        const ReferenceMaterial* m = ShippedReferenceMaterial(name);
        ASSERT_NE(m, nullptr) << name;
        EXPECT_FALSE(m->figures) << name << ": its table comes from the lab's certificate";
    }
    EXPECT_EQ(ShippedReferenceMaterial("SRM999"), nullptr);
}

std::vector<std::string> LabFile() {
    return {"# the lab's own bar",     "Reference material: Bar-7", "Certificate: C-123",
            "Uncertainty: 0.02",       "Alpha: -40 11.0",           "Alpha: 20 12.0",
            "Alpha: 120 13.0"};
}

TEST(ReferenceMaterial, ALabSpecimenIsReadStrictly) {
    std::string error;
    const auto good = ParseLabReferenceMaterial(LabFile(), error);
    ASSERT_TRUE(good) << error;
    EXPECT_EQ(good->name, "Bar-7");
    EXPECT_DOUBLE_EQ(good->alpha(20), 12.0);
    EXPECT_NEAR(good->meanAlpha(20, 120), 12.5, 1e-12);
    EXPECT_NEAR(good->meanAlpha(-40, 120), (11.5 * 60 + 12.5 * 100) / 160, 1e-12);

    const struct {
        size_t line; // replaced; past the end: appended
        const char* text;
        const char* why;
    } broken[] = {
        {1, "Reference material: ../x", "a name that names a folder"},
        {2, "Certificate:", "a key without a value"},
        {3, "Uncertainty: 0.02abc", "a number with trailing text"},
        {3, "Uncertainty: 1e400", "a number out of range"},
        {3, "Uncertainty: -0.1", "a negative uncertainty"},
        {5, "Alpha: -50 12.0", "falling temperatures"},
        {6, "Alpha: 100 13.0", "points that stop short of 110"},
        {4, "Alpha: -30 11.0", "points that start above -35"},
        {7, "Colour: red", "an unknown key"},
        {7, "just words", "a line that is no key"},
        {7, "Reference material: Other", "a second name"},
    };
    for (const auto& b : broken) {
        std::vector<std::string> lines = LabFile();
        if (b.line < lines.size())
            lines[b.line] = b.text;
        else
            lines.emplace_back(b.text);
        EXPECT_FALSE(ParseLabReferenceMaterial(lines, error)) << b.why;
        EXPECT_FALSE(error.empty()) << b.why;
    }
    std::vector<std::string> noCertificate = LabFile();
    noCertificate.erase(noCertificate.begin() + 2);
    EXPECT_FALSE(ParseLabReferenceMaterial(noCertificate, error));
}

// A column that grows by its own curve: a silica-like frame of 8.667 in whose alpha rises
// with temperature, as the simulated fixture's does.
double FrameGrowth(double t, double length) {
    const double reach = 6.667;
    return (length + reach) * 1e-6 * (0.59 * (t - 20) + 0.0005 * (t - 20) * (t - 20));
}

TEST(ColumnCorrection, LearnsTheColumnFromAReferenceAndRecoversAnotherSample) {
    const ReferenceMaterial& copper = *ShippedReferenceMaterial("SRM736");
    const double length = 2.0;
    const double temps[] = {20.0, 50.0, 80.0};
    std::vector<CorrectionPoint> points;
    for (const double t : temps) {
        // The reading: the reference's growth less the frame's, from the first step.
        const double reading = length * 1e-6 * copper.expansion(20, t) - FrameGrowth(t, length);
        points.push_back({t, reading - length * 1e-6 * copper.expansion(20, t), 1e-7});
    }
    const auto c = ColumnCorrection::Fit(points, length, copper.alphaUncertainty);
    ASSERT_TRUE(c);
    for (const double t : temps)
        EXPECT_NEAR(c->at(t), -FrameGrowth(t, length), 1e-10) << t;

    // A sample of constant alpha 23.1 measured on the same column, between two steps, of
    // the reference's length and of a shorter one (whose frame stands that much lower).
    for (const double sample : {2.0, 1.5}) {
        const auto reading = [&](double t) {
            return sample * 23.1e-6 * (t - 20) - FrameGrowth(t, sample);
        };
        const float cte = CteBetweenEnds(20.0f, static_cast<float>(reading(20)), 50.0f,
                                         static_cast<float>(reading(50)),
                                         static_cast<float>(sample), &*c);
        // Only the frame's curvature over the length difference is not carried over.
        EXPECT_NEAR(cte, 23.1, sample == 2.0 ? 0.002 : 0.01) << sample << " in";
        const float fixed = CteBetweenEnds(20.0f, static_cast<float>(reading(20)), 50.0f,
                                           static_cast<float>(reading(50)),
                                           static_cast<float>(sample));
        EXPECT_GT(std::fabs(fixed - 23.1), std::fabs(cte - 23.1)) << "the fixed correction";
    }
    EXPECT_TRUE(c->covers(20.3, 79.6));
    EXPECT_FALSE(c->covers(-20, 80));
}

TEST(ColumnCorrection, RefusesPointsThatCarryNoCurve) {
    EXPECT_FALSE(ColumnCorrection::Fit({{20, 0, 0}}, 2.0, 0.01)) << "one point";
    EXPECT_FALSE(ColumnCorrection::Fit({{20, 0, 0}, {20.5, 1e-6, 0}}, 2.0, 0.01))
        << "two points at one temperature";
    EXPECT_FALSE(ColumnCorrection::Fit({{20, 0, 0}, {50, NAN, 0}}, 2.0, 0.01)) << "not a number";
    EXPECT_FALSE(ColumnCorrection::Fit({{20, 0, 0}, {50, 1e-6, 0}}, 0.0, 0.01)) << "no length";
    const auto line = ColumnCorrection::Fit({{50, -3e-5, 0}, {20, 0, 0}}, 2.0, 0.01);
    ASSERT_TRUE(line) << "two points in any order give a straight line";
    EXPECT_NEAR(line->at(35), -1.5e-5, 1e-12);
}

TEST(ColumnCorrection, ItsUncertaintyTakesTheFixedCorrectionsPlaceInTheBudget) {
    StepEvidence from, to;
    from.step = 1;
    from.endTemperature = 20;
    to.step = 2;
    to.endTemperature = 80;
    const auto c = ColumnCorrection::Fit({{20, 0, 2e-7}, {50, -1.5e-5, 2e-7}, {80, -3.1e-5, 2e-7}},
                                         2.0, 0.014);
    ASSERT_TRUE(c);
    const UncertaintyBudget fixed = BudgetFor(from, to, 16.9, 2.0);
    const UncertaintyBudget measured = BudgetFor(from, to, 16.9, 2.0, {}, &*c);
    EXPECT_NEAR(measured.fixtureCorrection, c->perDegreeUncertainty(2.0) / 2.0 * 1e6, 1e-12);
    EXPECT_LT(measured.fixtureCorrection, fixed.fixtureCorrection / 3);
    // The certificate's own uncertainty is part of it, and a sample of another length adds
    // the carrying over.
    EXPECT_GE(c->perDegreeUncertainty(2.0), 0.014e-6 * 2.0);
    EXPECT_GT(c->perDegreeUncertainty(1.0), c->perDegreeUncertainty(2.0));

    // Learnt with a reference of known CTE, the gain terms act on the difference of the
    // CTEs: nothing left for a sample of the reference's own CTE, the whole difference for
    // fused silica.
    const auto copper = ColumnCorrection::Fit(c->points(), 2.0, 0.014, 16.9);
    ASSERT_TRUE(copper);
    const UncertaintyBudget same = BudgetFor(from, to, 16.9, 2.0, {}, &*copper);
    EXPECT_EQ(same.temperatureCalibration, 0.0);
    EXPECT_EQ(same.indicatorGain, 0.0);
    const UncertaintyBudget silica = BudgetFor(from, to, 0.55, 2.0, {}, &*copper);
    const UncertaintyBudget asIfCopperLess = BudgetFor(from, to, 16.35, 2.0);
    EXPECT_NEAR(silica.temperatureCalibration, asIfCopperLess.temperatureCalibration, 1e-12);
    EXPECT_NEAR(silica.sampleStage, asIfCopperLess.sampleStage, 1e-12);
}

TEST(ColumnCorrection, APointsScatterWeighsMoreOnAShortIntervalThanOnTheWholeRange) {
    // A parabola through three points: over 20..50 only the two points at its ends count, one
    // per degree of the interval each way; a shift of every point changes nothing.
    const auto c = ColumnCorrection::Fit({{20, 0, 2e-7}, {50, -1.5e-5, 2e-7}, {80, -3.1e-5, 4e-7}},
                                         2.0, 0.014);
    ASSERT_TRUE(c);
    const std::vector<double> lower = c->pointSensitivities(20, 50);
    ASSERT_EQ(lower.size(), 3u);
    EXPECT_NEAR(lower[0], -1.0 / 30, 1e-12);
    EXPECT_NEAR(lower[1], 1.0 / 30, 1e-12);
    EXPECT_NEAR(lower[2], 0.0, 1e-12);
    const std::vector<double> whole = c->pointSensitivities(80, 20);
    EXPECT_NEAR(whole[0], -1.0 / 60, 1e-12) << "either order";
    EXPECT_NEAR(whole[2], 1.0 / 60, 1e-12);

    const double common = c->commonPerDegreeUncertainty(2.0);
    EXPECT_NEAR(c->perDegreeUncertainty(20, 50, 2.0),
                std::hypot(common, std::hypot(2e-7, 2e-7) / 30), 1e-15);
    EXPECT_NEAR(c->perDegreeUncertainty(2.0), std::hypot(common, std::hypot(2e-7, 4e-7) / 60),
                1e-15);
    EXPECT_GT(c->perDegreeUncertainty(20, 50, 2.0), c->perDegreeUncertainty(2.0));

    // A least-squares line through four points: the sensitivity is how the correction per
    // degree moves when one point moves (checked by moving it).
    const std::vector<CorrectionPoint> four{
        {-20, 0, 1e-7}, {20, -2e-5, 1e-7}, {60, -4.1e-5, 1e-7}, {100, -5.9e-5, 1e-7}};
    const auto line = ColumnCorrection::Fit(four, 2.0, 0.014);
    ASSERT_TRUE(line);
    const std::vector<double> s = line->pointSensitivities(-20, 40);
    for (size_t i = 0; i < four.size(); ++i) {
        auto moved = four;
        moved[i].column += 1e-6;
        const auto m = ColumnCorrection::Fit(moved, 2.0, 0.014);
        const double perDegree = ((m->at(40) - m->at(-20)) - (line->at(40) - line->at(-20))) / 60;
        EXPECT_NEAR(s[i] * 1e-6, perDegree, 1e-15) << "point " << i;
    }
}

TEST(ColumnCorrection, ResultsSharingItsPointsCarryTheirErrorTogether) {
    InstrumentFigures none;
    none.lengthHalfWidthInches = none.indicatorResolutionInches = 0;
    none.temperatureGainLimit = none.indicatorGainFraction = 0;
    none.calibratorGainFraction = none.sampleStageFraction = 0;
    const auto c =
        ColumnCorrection::Fit({{20, 0, 3e-7}, {50, -1.5e-5, 3e-7}, {80, -3.1e-5, 3e-7}}, 2.0, 0.0);
    ASSERT_TRUE(c);
    StepEvidence s20, s50, s80, back;
    s20.step = 1, s50.step = 2, s80.step = 3, back.step = 4;
    s20.endTemperature = back.endTemperature = 20;
    s50.endTemperature = 50;
    s80.endTemperature = 80;
    const auto u = [&](std::initializer_list<WeightedCte> list) {
        return CombinedUncertaintyOf(std::vector<WeightedCte>(list), 2.0, none, &*c);
    };
    // One result: its budget.
    EXPECT_NEAR(u({{s20, s50, 16.0, 1.0}}), BudgetFor(s20, s50, 16.0, 2.0, none, &*c).combined,
                1e-12);
    EXPECT_NEAR(u({{s20, s50, 16.0, 1.0}}), std::hypot(3e-7, 3e-7) / 30 / 2.0 * 1e6, 1e-9);
    // The same interval out and back: the correction's points cancel.
    EXPECT_NEAR(u({{s20, s50, 16.0, 1.0}, {s50, back, 16.0, -1.0}}), 0.0, 1e-12);
    // 20..50 and 50..80 share the point at 50, which moves them opposite ways: their sum
    // carries the points at 20 and 80 alone.
    EXPECT_NEAR(u({{s20, s50, 16.0, 1.0}, {s50, s80, 16.0, 1.0}}),
                std::hypot(3e-7, 3e-7) / 30 / 2.0 * 1e6, 1e-9);
}

} // namespace
} // namespace dilato
