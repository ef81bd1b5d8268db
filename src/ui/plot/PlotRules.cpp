#include "ui/plot/PlotRules.h"

#include "platform/Format.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

constexpr const char* kDegrees = "\u00B0C";

std::string DisplacementTitle(bool unitsInches) {
    return std::string("Displacement ") + (unitsInches ? "(10-3 inch)" : "(mm)");
}

} // namespace

std::string DefaultTitle(GraphKind kind) {
    switch (kind) {
    case GraphKind::DisplacementTime: return " Displacement vs Time";
    case GraphKind::TemperatureTime: return " Temperature vs Time";
    case GraphKind::DisplacementTemperature: return " Displacement vs Temperature";
    default: return "Unknown Plot";
    }
}

std::string FileSuffix(GraphKind kind) {
    switch (kind) {
    case GraphKind::DisplacementTime: return "_Disp-Time";
    case GraphKind::TemperatureTime: return "_Temp-Time";
    case GraphKind::DisplacementTemperature: return "_Disp-Temp";
    default: return {};
    }
}

std::string HorizontalAxisTitle(GraphKind kind) {
    if (!IsKnown(kind)) return {};
    if (kind == GraphKind::DisplacementTemperature) return std::string("Temperature ") + kDegrees;
    return "Time (minutes)";
}

std::string VerticalAxisTitle(GraphKind kind, bool unitsInches) {
    if (!IsKnown(kind)) return {};
    if (kind == GraphKind::TemperatureTime) return std::string("Temperature ") + kDegrees;
    return DisplacementTitle(unitsInches);
}

bool IsDefaultTitle(const std::string& title) {
    const auto trimmed = [](const std::string& s) {
        const size_t first = s.find_first_not_of(' ');
        return first == std::string::npos ? std::string()
                                          : s.substr(first, s.find_last_not_of(' ') - first + 1);
    };
    const std::string t = trimmed(title);
    if (t.empty()) return true;
    for (const GraphKind kind : kGraphKinds)
        if (t == trimmed(DefaultTitle(kind))) return true;
    return false;
}

std::string ChartTitle(const std::string& grTitle, const std::string& plotTitleText,
                       GraphKind kind) {
    if (!grTitle.empty()) return grTitle;
    if (!plotTitleText.empty()) return plotTitleText;
    return DefaultTitle(kind);
}

GraphKind RotateGraphType(GraphKind kind, bool livePlot) {
    if (livePlot) return kind == GraphKind::TemperatureTime ? GraphKind::DisplacementTime
                                                            : GraphKind::TemperatureTime;
    switch (kind) {
    case GraphKind::DisplacementTime: return GraphKind::TemperatureTime;
    case GraphKind::TemperatureTime: return GraphKind::DisplacementTemperature;
    default: return GraphKind::DisplacementTime;
    }
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SeriesName(const std::string& path) {
    const std::string name = BaseName(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot + 1);
}

std::string ProposedExportName(const std::vector<std::string>& selectedFiles) {
    if (selectedFiles.empty()) return "Untitled";
    const std::string name = BaseName(selectedFiles.front());
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string GraphImagePath(const std::string& sysFolder, const std::string& folder,
                           const std::string& fileName, GraphKind kind, int imgType) {
    return sysFolder + "Data/" + folder + "/" + fileName + FileSuffix(kind) +
           (imgType == 0 ? ".bmp" : ".jpg");
}

std::string FormatAxisNumber(double value) {
    std::string text = FormatNumber(value, "0.000");
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    const bool negative = text.front() == '-';
    const auto point = text.find('.');
    const size_t digitsEnd = point == std::string::npos ? text.size() : point;
    for (size_t i = digitsEnd; i > (negative ? 4u : 3u); i -= 3) text.insert(i - 3, ",");
    return text;
}

std::string PointToolTip(GraphKind kind, bool unitsInches, double x, double y) {
    return HorizontalAxisTitle(kind) + ": " + FormatAxisNumber(x) + "\n" +
           VerticalAxisTitle(kind, unitsInches) + ": " + FormatAxisNumber(y);
}

std::vector<LabelBox> CteLabelLayout(int left, int top, int right, int bottom, int count) {
    std::vector<LabelBox> boxes;
    if (count <= 0) return boxes;
    const double w = right - left;
    int first = static_cast<int>(std::lround(bottom - 0.033 * w * count));
    const int stackBottom = first + count * kLabelLineHeight;
    if (stackBottom > bottom) first -= stackBottom - bottom;
    first = std::max(first, top);
    const int l = static_cast<int>(std::lround(right - 0.83 * w));
    const int r = static_cast<int>(std::lround(right - 0.09 * w));
    for (int i = 0; i < count; ++i) boxes.push_back({l, first + i * kLabelLineHeight, r});
    return boxes;
}

} // namespace dilato
