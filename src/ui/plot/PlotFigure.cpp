#include "ui/plot/PlotFigure.h"

#include "analysis/CteFormulas.h"
#include "storage/AnalysisErrors.h"
#include "ui/plot/PlotRules.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

int Sign(double v) { return (v > 0) - (v < 0); }

// The label of the pair (a, b): the indicator change corrected for the fixture's expansion
// over the pair's own temperature change, as the results are computed.
std::string PairLabel(Operator& op, const Reading& a, const Reading& b, float sampleLength) {
    const float dT = b.temperature - a.temperature;
    const float dI = b.indicator - a.indicator + SystemCorrection(dT, sampleLength);
    return ValueOrShown(op, CtePlotString(a.temperature, b.temperature, 0.0f, dI, sampleLength),
                        std::string());
}

// The overall label of a run in one direction, over its lowest and highest step (in step
// order); empty as soon as a step turns back. The extremes are compared in whole degrees and
// start from the first step, so a run beyond -50 or 150 °C still names its own ends.
std::string OverallLabel(Operator& op, std::span<const Reading> ends, float sampleLength) {
    const int direction = Sign(ends[1].temperature - ends[0].temperature);
    double highest = std::nearbyint(ends[0].temperature), lowest = highest;
    size_t high = 0, low = 0;
    for (size_t g = 0; g < ends.size(); ++g) {
        if (g > 0 && Sign(ends[g].temperature - ends[g - 1].temperature) != direction) return {};
        const double t = ends[g].temperature;
        if (t > highest) {
            highest = std::nearbyint(t);
            high = g;
        }
        if (t < lowest) {
            lowest = std::nearbyint(t);
            low = g;
        }
    }
    return PairLabel(op, ends[std::min(low, high)], ends[std::max(low, high)], sampleLength);
}

} // namespace

double VerticalMinimumSpan(GraphKind kind) {
    switch (kind) {
    case GraphKind::DisplacementTime: return 0.0001;
    case GraphKind::TemperatureTime: return 2.0;
    default: return 0.0;
    }
}

double ScaleDisplacements(std::vector<double>& y, bool unitsInches) {
    if (y.empty()) return 0.0;
    const double base = *std::min_element(y.begin(), y.end());
    const double factor = unitsInches ? 1000.0 : 25.4;
    for (double& v : y) v = (v - base) * factor;
    return base;
}

std::vector<std::string> CteLabels(Operator& op, std::span<const Reading> stepEnds,
                                   float sampleLength) {
    std::vector<std::string> labels;
    if (stepEnds.size() < 2) return labels;
    if (stepEnds.size() > 2) labels.push_back(OverallLabel(op, stepEnds, sampleLength));
    for (size_t k = 1; k < stepEnds.size(); ++k)
        labels.push_back(PairLabel(op, stepEnds[k - 1], stepEnds[k], sampleLength));
    return labels;
}

PlotFigure BuildPlot(Operator& op, const PlotInput& input, GraphKind kind, bool unitsInches) {
    PlotFigure figure;
    const size_t n = std::min(input.x.size(), input.v.size());
    const bool versusTemperature = kind == GraphKind::DisplacementTemperature;
    const bool displacement = kind != GraphKind::TemperatureTime;

    PlotSeries readings;
    readings.x.assign(input.x.begin(), input.x.begin() + static_cast<long>(n));
    readings.y.assign(input.v.begin(), input.v.begin() + static_cast<long>(n));
    readings.name = input.name;
    readings.colorIndex = 15;

    // Displacement against temperature includes the fixture's expansion since the first point;
    // the step ends are drawn on the same footing.
    PlotSeries steps;
    steps.style = PointStyle::Star;
    steps.name = "Step ends";
    if (versusTemperature && n > 0) {
        const double t0 = readings.x.front();
        const auto corrected = [&](double t, double v) {
            return v + SystemCorrection(static_cast<float>(t - t0), input.sampleLength);
        };
        for (size_t i = 0; i < n; ++i) readings.y[i] = corrected(readings.x[i], readings.y[i]);
        for (const Reading& e : input.stepEnds) {
            steps.x.push_back(e.temperature);
            steps.y.push_back(corrected(e.temperature, e.indicator));
        }
    }

    if (n > 0) {
        // The series' own extremes, so that an axis below zero keeps its data in view.
        const auto [xmin, xmax] = std::minmax_element(readings.x.begin(), readings.x.end());
        figure.xScale = NiceScale(*xmax, *xmin, 0.0);
        double ymax = *std::max_element(readings.y.begin(), readings.y.end());
        double ymin = *std::min_element(readings.y.begin(), readings.y.end());
        if (displacement) {
            const double base = ScaleDisplacements(readings.y, unitsInches);
            const double factor = unitsInches ? 1000.0 : 25.4;
            ymax = (ymax - base) * factor;
            ymin = 0.0;
            for (double& y : steps.y) y = (y - base) * factor;
        }
        figure.yScale = NiceScale(ymax, ymin, VerticalMinimumSpan(kind));
    }

    if (versusTemperature) {
        readings.style = PointStyle::Dot;
        readings.line = false; // every reading underneath; the steps' ends carry the lines
        figure.series.push_back(std::move(readings));
        if (!steps.x.empty()) figure.series.push_back(std::move(steps));
        figure.legendPos = legend::TopLeft;
        figure.labels = CteLabels(op, input.stepEnds, input.sampleLength);
    } else {
        readings.style = PointStyle::Dot;
        figure.series.push_back(std::move(readings));
        figure.legendPos = legend::BottomRight;
    }
    return figure;
}

} // namespace dilato
