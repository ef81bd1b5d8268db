#pragma once
// The plotting routine as plain data: from the readings of a test to what the chart shows
// (series, axis scales, legend corner, CTE label texts). The graph object draws a PlotFigure;
// tests read it without a display.

#include "analysis/StepData.h"
#include "platform/Operator.h"
#include "storage/GraphKind.h"
#include "ui/plot/NiceScale.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

// What the plot is made from: x and v of every reading (elapsed minutes or temperature;
// indicator in inches or temperature), the end-of-step readings and the sample length for
// the CTE labels, and the series name.
struct PlotInput {
    std::vector<double> x, v;
    std::vector<Reading> stepEnds;
    float sampleLength = 0.0f;
    std::string name;
};

// Point styles of the chart: small dots for the time plots' readings, stars for the ends of
// the steps of a displacement-vs-temperature plot.
enum class PointStyle { Dot, Star };

struct PlotSeries {
    std::vector<double> x, y;
    PointStyle style = PointStyle::Dot;
    int colorIndex = 15; // palette index, through SchemePaletteColor
    std::string name;
    bool line = true;    // points joined in their order
    bool inLegend = true;
};

// Legend corners passed to SetLegend: 0 top left, 1 top right, 2 bottom right, 3 bottom left
// of the plotting area; -1 hides the legend.
namespace legend {
inline constexpr int TopLeft = 0;
inline constexpr int TopRight = 1;
inline constexpr int BottomRight = 2;
inline constexpr int BottomLeft = 3;
inline constexpr int Hidden = -1;
} // namespace legend

struct PlotFigure {
    std::vector<PlotSeries> series;
    std::optional<AxisScale> xScale, yScale; // nullopt: the chart's own range
    int legendPos = legend::Hidden;
    // CTE labels, top line first; the first may be blank (a run that changes direction).
    std::vector<std::string> labels;
};

// The minimum vertical span of a graph type's axis.
[[nodiscard]] double VerticalMinimumSpan(GraphKind kind);

// Displacements as the change from the smallest value: (y - smallest) x 1000 (10^-3 inch) or
// x 25.4 (mm). Returns the smallest value (the base).
double ScaleDisplacements(std::vector<double>& y, bool unitsInches);

// The CTE labels of a displacement-vs-temperature plot from the ends of its steps: one per
// pair of neighbouring steps, and first the overall CTE of a run in one direction (blank when
// the run changes direction). With two steps only the pair's label; with fewer, none.
[[nodiscard]] std::vector<std::string> CteLabels(Operator& op, std::span<const Reading> stepEnds,
                                                 float sampleLength);

// The plot of `input` as a graph of kind `kind`.
[[nodiscard]] PlotFigure BuildPlot(Operator& op, const PlotInput& input, GraphKind kind,
                                   bool unitsInches);

} // namespace dilato
