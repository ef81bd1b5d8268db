#pragma once
// The plain rules of the plots and the plotting tabs: titles and axis titles by graph type and
// units, the rotate button, the names an exported image gets, the number format of the axes,
// the tool tip of a point and where the CTE labels go.

#include "storage/GraphKind.h"

#include <string>
#include <vector>

namespace dilato {

// " Displacement vs Time", " Temperature vs Time", " Displacement vs Temperature" (each with
// its leading blank); "Unknown Plot" for an unknown kind.
[[nodiscard]] std::string DefaultTitle(GraphKind kind);
// "_Disp-Time", "_Temp-Time", "_Disp-Temp"; empty for an unknown kind.
[[nodiscard]] std::string FileSuffix(GraphKind kind);
[[nodiscard]] std::string HorizontalAxisTitle(GraphKind kind);
[[nodiscard]] std::string VerticalAxisTitle(GraphKind kind, bool unitsInches);
// Whether a plot title is one the program gave (empty, or a type's default title, blanks
// aside) rather than one the operator typed.
[[nodiscard]] bool IsDefaultTitle(const std::string& title);
// The chart title: the graph's own title, else the operator's plot title, else the default.
[[nodiscard]] std::string ChartTitle(const std::string& grTitle, const std::string& plotTitleText,
                                     GraphKind kind);

// ">": a live plot alternates between the two time plots (2 becomes 1); a stored plot cycles
// through all three (an unknown kind becomes the first).
[[nodiscard]] GraphKind RotateGraphType(GraphKind kind, bool livePlot);

// The file name after its last folder separator ("\" or "/").
[[nodiscard]] std::string BaseName(const std::string& path);
// The series name of a plotted file: its base name up to and including its last ".".
[[nodiscard]] std::string SeriesName(const std::string& path);
// The name the Save dialog proposes: "Untitled" without a plotted file, else the plotted
// file's base name before its last "." (the whole name when it has none).
[[nodiscard]] std::string ProposedExportName(const std::vector<std::string>& selectedFiles);
// SysFolder + "Data/" + folder + "/" + name + the type's suffix + ".bmp" (image type 0) or
// ".jpg" (any other).
[[nodiscard]] std::string GraphImagePath(const std::string& sysFolder, const std::string& folder,
                                         const std::string& fileName, GraphKind kind, int imgType);

// An axis value as "#,##0.###": thousands grouped, up to three decimals, no trailing zeros.
[[nodiscard]] std::string FormatAxisNumber(double value);

// The tool tip of a point: both values with their axis titles.
[[nodiscard]] std::string PointToolTip(GraphKind kind, bool unitsInches, double x, double y);

// Where the CTE labels go, in pixels, inside a plotting area whose left, top, right and bottom
// edges are given: each label spans from R - 0.83 W to R - 0.09 W; the first starts at
// B - 0.033 W x count and each next one 24 pixels lower. A stack that would run past the
// bottom (a short chart) is moved up, and never above the top.
struct LabelBox {
    int left = 0, top = 0, right = 0;
};
inline constexpr int kLabelLineHeight = 24;
[[nodiscard]] std::vector<LabelBox> CteLabelLayout(int left, int top, int right, int bottom,
                                                   int count);

} // namespace dilato
