// The plain rules of the plots: axis scaling, colours, titles, names and label placement.

#include "ui/plot/ColorScheme.h"
#include "ui/plot/NiceScale.h"
#include "ui/plot/PlotRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>

namespace dilato {
namespace {

TEST(NiceScale, ScalesTableOfAxes) {
    struct Case {
        const char* what;
        double max, min, span;
        AxisScale expected;
    };
    const Case cases[] = {
        {"an hour from zero: 5 % room, the top on a whole group", 60, 0, 0, {-3, 70, 10, 1}},
        {"20 to 80 degrees: both ends rounded down to the step", 80, 20, 0, {15, 90, 10, 1}},
        {"temperatures below 2: up to 2, the bottom lowered by 1", 1.5, 0.5, 2, {-0.5, 2, 0.5, 4}},
        {"small displacements", 0.4, 0.1, 0, {0.08, 0.5, 0.1, 4}},
        {"a rise smaller than the minimum span", 0.00003, 0, 0.0001, {-0.00005, 0.0001, 0.00001, 1}},
        {"all below zero: up to zero, sized by the largest magnitude", -10, -30, 0, {-30, 0, 10, 4}},
        {"mostly below zero with a 2 degree span", 1.5, -31, 2, {-32, 10, 10, 4}},
    };
    for (const Case& c : cases) {
        const auto s = NiceScale(c.max, c.min, c.span);
        ASSERT_TRUE(s.has_value()) << c.what;
        EXPECT_NEAR(s->min, c.expected.min, 1e-12) << c.what;
        EXPECT_NEAR(s->max, c.expected.max, 1e-12) << c.what;
        EXPECT_NEAR(s->increment, c.expected.increment, 1e-12) << c.what;
        EXPECT_EQ(s->minorTicks, c.expected.minorTicks) << c.what;
        EXPECT_LE(s->min, c.min) << c.what << ": the data stay in view";
        EXPECT_GE(s->max, std::max(c.max, c.span)) << c.what;
    }
}

TEST(NiceScale, LeavesNothingToScaleAlone) {
    EXPECT_FALSE(NiceScale(5, 5, 0)) << "all values equal";
    EXPECT_FALSE(NiceScale(3, 4, 0)) << "min above max";
    EXPECT_FALSE(NiceScale(NAN, 0, 0));
    EXPECT_FALSE(NiceScale(INFINITY, 0, 0));
}

TEST(NiceScale, EveryAxisOfAWideSweepStaysFiniteAndCoversItsData) {
    // Including maxima of zero and below, where the rule's logarithm has no value.
    for (double lo = -500; lo < 500; lo += 37.3)
        for (double width : {1e-6, 0.003, 0.7, 12.0, 150.0, 4000.0})
            for (double span : {0.0, 0.0001, 2.0}) {
                const auto s = NiceScale(lo + width, lo, span);
                ASSERT_TRUE(s.has_value());
                ASSERT_TRUE(std::isfinite(s->min) && std::isfinite(s->max) &&
                            std::isfinite(s->increment))
                    << lo << " " << width;
                EXPECT_GT(s->increment, 0.0) << lo << " " << width;
                EXPECT_LE(s->min, lo + 1e-9) << lo << " " << width;
                EXPECT_GE(s->max, lo + width - 1e-9) << lo << " " << width;
                EXPECT_LE((s->max - s->min) / s->increment, 60) << lo << " " << width;
            }
}

TEST(ColorScheme, PaletteSchemesAndComplement) {
    EXPECT_EQ(PaletteColor(0), 0x000000u);
    EXPECT_EQ(PaletteColor(12), 0x0000FFu) << "light red: red is the low byte";
    EXPECT_EQ(PaletteColor(15), 0xFFFFFFu);
    EXPECT_EQ(PaletteColor(16 + 9), PaletteColor(9)) << "only the low 4 bits count";

    const ColorScheme s1 = BuiltInColorScheme(1);
    EXPECT_EQ(s1.titleColor, 0x00FFFFu);
    EXPECT_EQ(s1.axisPenColor, 0xFF00FFu);
    EXPECT_EQ(s1.axisLabelColor, 0x00FFFFu);
    EXPECT_EQ(s1.axisTitleColor, 0x00FFFFu);
    EXPECT_EQ(s1.backgroundColor, 0x000000u);
    const ColorScheme s2 = BuiltInColorScheme(2);
    EXPECT_EQ(s2.titleColor, 0xFF0000u);
    EXPECT_EQ(s2.axisPenColor, 0x00FF00u);
    EXPECT_EQ(s2.backgroundColor, 0xFFFFFFu);
    const ColorScheme s3 = BuiltInColorScheme(3);
    EXPECT_EQ(s3.titleColor, 0u);
    EXPECT_EQ(s3.backgroundColor, 0xC0C0C0u);
    const ColorScheme s4 = BuiltInColorScheme(4);
    EXPECT_EQ(s4.axisTitleColor | s4.backgroundColor | s4.titleColor, 0u);
    const ColorScheme s5 = BuiltInColorScheme(5);
    EXPECT_EQ(s5.titleColor, 0x804000u);
    EXPECT_EQ(s5.axisLabelColor, 0x804000u);
    EXPECT_EQ(s5.backgroundColor, 0xFFFFFFu);

    ColorScheme c;
    c.SetColorScheme(0x123456, 0, 0xFFFFFF, 0x804000, 0x1000000);
    c.ComplementColorScheme();
    EXPECT_EQ(c.titleColor, 0xEDCBA9u);
    EXPECT_EQ(c.axisPenColor, 0xFFFFFFu);
    EXPECT_EQ(c.axisLabelColor, 0u);
    EXPECT_EQ(c.axisTitleColor, 0x7FBFFFu);
    EXPECT_EQ(c.backgroundColor, 0xFFFFFFu) << "colours keep 24 bits";
}

TEST(ColorScheme, SchemePaletteColorMapsBySchemeAndIndex) {
    struct Case {
        int scheme, index;
        PlotColor expected;
    };
    const Case cases[] = {
        {4, 15, 0xFFFFFF}, {4, -1, 0x000000}, {4, 2, 0x00FF00},  {4, 7, 0xFFFFFF},
        {4, 8, 11832566},  {4, 9, 0xFFC0C0},  {4, 14, 0x00FFFF}, {4, 3, 0x808000},
        {1, 2, 0x00FF00},  {2, 8, 0xB48CF6},  {5, 15, 0x000000}, {5, 14, 0x008000},
        {5, 8, 0xB48CF6},  {5, 9, 0xFFC0C0},  {5, 2, 0x008000},  {5, 7, 0xC0C0C0},
        {5, -1, 0x000000}, {3, 15, 0x000000}, {3, 12, 0x000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SchemePaletteColor(c.scheme, c.index), c.expected)
            << "scheme " << c.scheme << " index " << c.index;
}

TEST(PlotRules, TitlesByTypeAndUnits) {
    const auto kUnknown = static_cast<GraphKind>(3), kBelowFirst = static_cast<GraphKind>(-1);
    EXPECT_EQ(DefaultTitle(GraphKind::DisplacementTime), " Displacement vs Time");
    EXPECT_EQ(DefaultTitle(GraphKind::TemperatureTime), " Temperature vs Time");
    EXPECT_EQ(DefaultTitle(GraphKind::DisplacementTemperature), " Displacement vs Temperature");
    EXPECT_EQ(DefaultTitle(kUnknown), "Unknown Plot");
    EXPECT_EQ(DefaultTitle(kBelowFirst), "Unknown Plot");
    EXPECT_EQ(FileSuffix(GraphKind::DisplacementTime), "_Disp-Time");
    EXPECT_EQ(FileSuffix(GraphKind::TemperatureTime), "_Temp-Time");
    EXPECT_EQ(FileSuffix(GraphKind::DisplacementTemperature), "_Disp-Temp");
    EXPECT_EQ(FileSuffix(kUnknown), "");

    EXPECT_EQ(HorizontalAxisTitle(GraphKind::DisplacementTime), "Time (minutes)");
    EXPECT_EQ(HorizontalAxisTitle(GraphKind::TemperatureTime), "Time (minutes)");
    EXPECT_EQ(HorizontalAxisTitle(GraphKind::DisplacementTemperature), "Temperature \u00B0C");
    EXPECT_EQ(HorizontalAxisTitle(kUnknown), "");
    EXPECT_EQ(VerticalAxisTitle(GraphKind::DisplacementTime, true), "Displacement (10-3 inch)");
    EXPECT_EQ(VerticalAxisTitle(GraphKind::DisplacementTime, false), "Displacement (mm)");
    EXPECT_EQ(VerticalAxisTitle(GraphKind::TemperatureTime, false), "Temperature \u00B0C");
    EXPECT_EQ(VerticalAxisTitle(GraphKind::DisplacementTemperature, false), "Displacement (mm)");
    EXPECT_EQ(VerticalAxisTitle(kUnknown, true), "");

    EXPECT_EQ(ChartTitle("", "", GraphKind::TemperatureTime), " Temperature vs Time")
        << "the default keeps its blank";
    EXPECT_EQ(ChartTitle("", "Copper bar", GraphKind::TemperatureTime), "Copper bar");
    EXPECT_EQ(ChartTitle("Own", "Copper bar", GraphKind::TemperatureTime), "Own");
}

TEST(PlotRules, RotateLiveAndStored) {
    EXPECT_EQ(RotateGraphType(GraphKind::DisplacementTime, true), GraphKind::TemperatureTime);
    EXPECT_EQ(RotateGraphType(GraphKind::TemperatureTime, true), GraphKind::DisplacementTime);
    EXPECT_EQ(RotateGraphType(GraphKind::DisplacementTemperature, true), GraphKind::TemperatureTime)
        << "a running test shows only the time plots";
    EXPECT_EQ(RotateGraphType(GraphKind::DisplacementTime, false), GraphKind::TemperatureTime);
    EXPECT_EQ(RotateGraphType(GraphKind::TemperatureTime, false),
              GraphKind::DisplacementTemperature);
    EXPECT_EQ(RotateGraphType(GraphKind::DisplacementTemperature, false),
              GraphKind::DisplacementTime);
}

TEST(PlotRules, APlotTypeOptionIsAKindOnlyForItsOwnPosition) {
    const std::pair<int, std::optional<GraphKind>> cases[] = {
        {-1, std::nullopt},
        {0, GraphKind::DisplacementTime},
        {1, GraphKind::TemperatureTime},
        {2, GraphKind::DisplacementTemperature},
        {3, std::nullopt},
    };
    for (const auto& [index, kind] : cases) {
        EXPECT_EQ(GraphKindAt(index), kind) << "option " << index;
        if (kind) {
            EXPECT_EQ(OptionIndex(*kind), index);
        }
    }
    EXPECT_FALSE(IsKnown(static_cast<GraphKind>(3)));
}

TEST(PlotRules, NamesOfPlottedFilesAndImages) {
    EXPECT_EQ(ProposedExportName({}), "Untitled");
    EXPECT_EQ(ProposedExportName({"/sys/Data/F/a.b.c_CTE.dat", "/x/other.dat"}), "a.b.c_CTE");
    EXPECT_EQ(ProposedExportName({"C:\\Data\\F\\Bar_CTE.dat"}), "Bar_CTE");
    EXPECT_EQ(ProposedExportName({"/sys/Data/F/NoDot"}), "NoDot");
    EXPECT_EQ(SeriesName("/sys/Data/F/a.b.c_CTE.dat"), "a.b.c_CTE.");
    EXPECT_EQ(SeriesName(""), "");
    EXPECT_EQ(GraphImagePath("/sys/", "Folder", "Untitled", GraphKind::TemperatureTime, 0),
              "/sys/Data/Folder/Untitled_Temp-Time.bmp");
    EXPECT_EQ(GraphImagePath("/sys/", "F", "  lead", GraphKind::DisplacementTemperature, 1),
              "/sys/Data/F/  lead_Disp-Temp.jpg");
}

TEST(PlotRules, AxisNumbersGroupThousandsAndDropTrailingZeros) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},           {100, "100"},         {12.3456, "12.346"}, {1234567.5, "1,234,567.5"},
        {-1234.125, "-1,234.125"}, {-0.0001, "0"}, {999.9996, "1,000"}, {-12, "-12"},
        {123456, "123,456"}, {-123456, "-123,456"}, {0.25, "0.25"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatAxisNumber(value), text) << value;
}

TEST(PlotRules, ToolTipNamesBothValues) {
    EXPECT_EQ(PointToolTip(GraphKind::DisplacementTemperature, false, 50, 0.0254),
              "Temperature \u00B0C: 50\nDisplacement (mm): 0.025");
}

TEST(PlotRules, CteLabelsStackInTheLowerRight) {
    const auto boxes = CteLabelLayout(100, 50, 900, 650, 3);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].left, 236);
    EXPECT_EQ(boxes[0].right, 828);
    EXPECT_EQ(boxes[0].top, 571);
    EXPECT_EQ(boxes[1].top, 595);
    EXPECT_EQ(boxes[2].top, 619);

    const auto low = CteLabelLayout(0, 0, 600, 400, 2);
    EXPECT_EQ(low[1].top + kLabelLineHeight, 400) << "a short chart keeps its last label inside";
    const auto many = CteLabelLayout(0, 0, 1000, 200, 10);
    EXPECT_EQ(many[0].top, 0) << "never above the plotting area";
    EXPECT_TRUE(CteLabelLayout(0, 0, 100, 100, 0).empty());
}

} // namespace
} // namespace dilato
