#include "ui/plot/PlotRules.h"

#include "platform/Format.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

constexpr const char* kDegrees = "\u00B0C";

bool Known(int graphType) { return graphType >= 0 && graphType < graph::Count; }

std::string DisplacementTitle(bool unitsInches) {
    return std::string("Displacement ") + (unitsInches ? "(10-3 inch)" : "(mm)");
}

} // namespace

std::string DefaultTitle(int graphType) {
    switch (graphType) {
    case graph::DisplacementTime: return " Displacement vs Time";
    case graph::TemperatureTime: return " Temperature vs Time";
    case graph::DisplacementTemperature: return " Displacement vs Temperature";
    default: return "Unknown Plot";
    }
}

std::string FileSuffix(int graphType) {
    switch (graphType) {
    case graph::DisplacementTime: return "_Disp-Time";
    case graph::TemperatureTime: return "_Temp-Time";
    case graph::DisplacementTemperature: return "_Disp-Temp";
    default: return {};
    }
}

std::string HorizontalAxisTitle(int graphType) {
    if (!Known(graphType)) return {};
    if (graphType == graph::DisplacementTemperature) return std::string("Temperature ") + kDegrees;
    return "Time (minutes)";
}

std::string VerticalAxisTitle(int graphType, bool unitsInches) {
    if (!Known(graphType)) return {};
    if (graphType == graph::TemperatureTime) return std::string("Temperature ") + kDegrees;
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
    for (int type = 0; type < graph::Count; ++type)
        if (t == trimmed(DefaultTitle(type))) return true;
    return false;
}

std::string ChartTitle(const std::string& grTitle, const std::string& plotTitleText,
                       int graphType) {
    if (!grTitle.empty()) return grTitle;
    if (!plotTitleText.empty()) return plotTitleText;
    return DefaultTitle(graphType);
}

int RotateGraphType(int graphType, bool livePlot) {
    if (livePlot) return graphType == graph::TemperatureTime ? graph::DisplacementTime
                                                             : graph::TemperatureTime;
    const int next = (graphType + 1) % graph::Count;
    return next < 0 ? 0 : next;
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
                           const std::string& fileName, int graphType, int imgType) {
    return sysFolder + "Data/" + folder + "/" + fileName + FileSuffix(graphType) +
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

std::string PointToolTip(int graphType, bool unitsInches, double x, double y) {
    return HorizontalAxisTitle(graphType) + ": " + FormatAxisNumber(x) + "\n" +
           VerticalAxisTitle(graphType, unitsInches) + ": " + FormatAxisNumber(y);
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
