// The plotting routine: displacement scaling, fixture correction, series and legend per
// type, and the CTE labels against the results the summary file reports.

#include "analysis/CteFormulas.h"
#include "analysis/FinalResults.h"
#include "platform/Format.h"
#include "support/RecordingOperator.h"
#include "support/ShownAnalysis.h"
#include "ui/plot/PlotFigure.h"
#include "ui/plot/PlotRules.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

constexpr float kLength = 2.0f;

// The sensor's reading at the end of a step for a sample of 16 µ/°C: its growth since 20 °C
// less the fixture's own expansion, which the sensor does not see.
Reading EndAt(float t) {
    const float grown = kLength * 16e-6f * (t - 20.0f);
    return Reading{10.0f, 0.1f + grown - SystemCorrection(t - 20.0f, kLength), t, 0.0f, 0.0f};
}

std::vector<Reading> Ends(std::initializer_list<float> temps) {
    std::vector<Reading> ends;
    for (float t : temps) ends.push_back(EndAt(t));
    return ends;
}

// "... = 16.0 µ/°C +/-2.1%" -> {"16.0", "2.1"}
std::pair<std::string, std::string> Numbers(const std::string& label) {
    const auto eq = label.find(" = ");
    const auto mu = label.find(" \u00B5");
    const auto pm = label.find("+/-");
    return {label.substr(eq + 3, mu - eq - 3), label.substr(pm + 3, label.size() - pm - 4)};
}

TEST(CteLabels, MatchTheResultsOfTheSummaryForAHeatingRun) {
    test::RecordingOperator op;
    const std::vector<double> plan{20, 50, 80};
    StepData data;
    data.reset(3, 1);
    std::vector<Reading> ends;
    for (size_t s = 0; s < plan.size(); ++s) {
        ends.push_back(EndAt(static_cast<float>(plan[s]) + 0.37f * static_cast<float>(s)));
        data.append(static_cast<int>(s) + 1, ends.back());
    }
    ResultTable results;
    test::FinalResults(op, data, plan, kLength, 0, results);

    const auto labels = CteLabels(op, ends, kLength);
    ASSERT_EQ(labels.size(), 3u) << "the overall label first, then one per pair";
    EXPECT_EQ(labels[0].substr(0, 21), "CTE:  20\u00B0C to  81\u00B0C") << labels[0];
    const int rows[] = {3, 1, 2}; // overall row M, then the pairs
    for (size_t i = 0; i < labels.size(); ++i) {
        const auto [cte, accuracy] = Numbers(labels[i]);
        EXPECT_EQ(cte, FormatSingle(results.at(rows[i], result::Cte), "0.0")) << labels[i];
        EXPECT_EQ(accuracy, FormatSingle(results.at(rows[i], result::Accuracy) * 100.0f, "0.0"))
            << labels[i];
        EXPECT_EQ(cte, "16.0") << labels[i];
    }
    EXPECT_TRUE(op.messages.empty());
}

TEST(CteLabels, DirectionRulesAndShortRuns) {
    test::RecordingOperator op;
    const auto roundTrip = CteLabels(op, Ends({20, 80, 20}), kLength);
    ASSERT_EQ(roundTrip.size(), 3u);
    EXPECT_EQ(roundTrip[0], "") << "a run that turns back has no overall line";
    EXPECT_EQ(roundTrip[2].substr(0, 21), "CTE:  80\u00B0C to  20\u00B0C");

    const auto cooling = CteLabels(op, Ends({80, 50, 20}), kLength);
    EXPECT_EQ(cooling[0].substr(0, 21), "CTE:  80\u00B0C to  20\u00B0C")
        << "lowest and highest taken in step order";

    const auto flat = CteLabels(op, Ends({20, 20, 50}), kLength);
    EXPECT_EQ(flat[0], "") << "a step without a temperature change breaks the direction";

    const auto two = CteLabels(op, Ends({20, 50}), kLength);
    ASSERT_EQ(two.size(), 1u) << "two steps: the pair's label alone";
    EXPECT_EQ(Numbers(two[0]).first, "16.0");
    EXPECT_TRUE(CteLabels(op, Ends({20}), kLength).empty());
    EXPECT_TRUE(CteLabels(op, {}, kLength).empty());

    const auto high = CteLabels(op, Ends({-60, -55, -52}), kLength);
    EXPECT_EQ(high[0].substr(0, 21), "CTE: -60\u00B0C to -52\u00B0C")
        << "a run entirely below the highest's starting value still names real steps";
}

TEST(BuildPlot, DisplacementsInBothUnitsFromTheSmallestValue) {
    test::RecordingOperator op;
    const PlotInput input{{1, 2, 3}, {0.100, 0.101, 0.103}, {}, kLength, "Bar_CTE."};
    const PlotFigure inches = BuildPlot(op, input, GraphKind::DisplacementTime, true);
    ASSERT_EQ(inches.series.size(), 1u);
    EXPECT_NEAR(inches.series[0].y[0], 0.0, 1e-9);
    EXPECT_NEAR(inches.series[0].y[1], 1.0, 1e-9);
    EXPECT_NEAR(inches.series[0].y[2], 3.0, 1e-9);
    ASSERT_TRUE(inches.yScale.has_value());
    EXPECT_GE(inches.yScale->max, 3.0);
    EXPECT_EQ(inches.series[0].name, "Bar_CTE.");
    EXPECT_TRUE(inches.series[0].line);
    EXPECT_EQ(inches.legendPos, legend::BottomRight);
    EXPECT_TRUE(inches.labels.empty());

    const PlotFigure mm = BuildPlot(op, input, GraphKind::DisplacementTime, false);
    EXPECT_NEAR(mm.series[0].y[1], 0.0254, 1e-9);
    EXPECT_NEAR(mm.series[0].y[2], 0.0762, 1e-9);

    const PlotFigure temps = BuildPlot(op, input, GraphKind::TemperatureTime, false);
    EXPECT_NEAR(temps.series[0].y[2], 0.103, 1e-9) << "temperatures are not rescaled";
}

TEST(BuildPlot, DisplacementVersusTemperatureAddsTheFixtureAndDrawsTheStepEnds) {
    test::RecordingOperator op;
    const PlotInput input{{20, 50, 80}, {0.1, 0.1, 0.1}, Ends({20, 50, 80}), kLength, "B."};
    const PlotFigure f = BuildPlot(op, input, GraphKind::DisplacementTemperature, true);
    ASSERT_EQ(f.series.size(), 2u) << "every reading, then the step ends";
    EXPECT_NEAR(f.series[0].y[1], 0.156, 1e-5) << "5.2 µin/°C over 30 °C, in 10^-3 inch";
    EXPECT_NEAR(f.series[0].y[2], 0.312, 1e-5);
    EXPECT_FALSE(f.series[0].line);
    EXPECT_EQ(f.series[1].style, PointStyle::Star);
    ASSERT_EQ(f.series[1].y.size(), 3u);
    // 16 µ/°C over 60 °C on 2 in: 1.92 x 10^-3 inch above the smallest reading.
    EXPECT_NEAR(f.series[1].y[2] - f.series[1].y[0], 1.92, 1e-3);
    EXPECT_EQ(f.legendPos, legend::TopLeft);
    EXPECT_EQ(f.labels.size(), 3u);

    const PlotFigure mm = BuildPlot(op, input, GraphKind::DisplacementTemperature, false);
    EXPECT_NEAR(mm.series[0].y[2], 0.312 * 0.0254, 1e-6);
}

TEST(BuildPlot, BadInputGivesAPlotAndNoFault) {
    test::RecordingOperator op;
    const PlotFigure equal = BuildPlot(op, {{1, 2, 3}, {0.2, 0.2, 0.2}, {}, kLength, ""},
                                       GraphKind::DisplacementTime, true);
    EXPECT_FALSE(equal.yScale.has_value()) << "nothing to scale: the chart's own range";
    EXPECT_TRUE(equal.xScale.has_value());
    EXPECT_DOUBLE_EQ(equal.series[0].y[2], 0.0);

    const PlotFigure one = BuildPlot(op, {{1}, {0.2}, Ends({20}), kLength, ""},
                                     GraphKind::DisplacementTemperature, true);
    EXPECT_EQ(one.series[0].x.size(), 1u);
    EXPECT_TRUE(one.labels.empty());
    EXPECT_FALSE(one.xScale.has_value());

    const PlotFigure cold =
        BuildPlot(op, {{1, 2}, {0.5, 1.5}, {}, kLength, ""}, GraphKind::TemperatureTime, true);
    ASSERT_TRUE(cold.yScale.has_value());
    EXPECT_DOUBLE_EQ(cold.yScale->max, 2.0) << "below 2 °C the axis still reaches 2";
    EXPECT_DOUBLE_EQ(cold.yScale->min, -0.5);

    const PlotFigure none = BuildPlot(op, {}, GraphKind::DisplacementTemperature, true);
    EXPECT_TRUE(none.series.empty() || none.series[0].x.empty());
    EXPECT_TRUE(none.labels.empty());
    EXPECT_TRUE(op.messages.empty());
}

} // namespace
} // namespace dilato
