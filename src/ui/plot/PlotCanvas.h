#pragma once
// What the plotting tabs need from the chart: set it up for a graph type, draw a figure, write
// it to an image file. The graph object (`Graph`) is the real one; tests record the calls.

#include "ui/plot/PlotFigure.h"

#include <string>

namespace dilato {

struct GraphSetup {
    GraphKind graphType = GraphKind::DisplacementTime;
    std::string title;         // the graph's own title; empty: the plot title or the default
    std::string plotTitleText; // the operator's plot title
    int colorScheme = 4;
    bool unitsInches = true;
};

class PlotCanvas {
  public:
    virtual ~PlotCanvas() = default;
    // Clears every series and label, applies the colour scheme and sets the titles.
    virtual void SetupGraph(const GraphSetup& setup) = 0;
    virtual void Plot(const PlotFigure& figure) = 0;
    // The light gradient behind the chart (off for a white-background image).
    virtual void SetGradient(bool on) = 0;
    // Writes the chart as a bitmap (image type 0) or a JPEG (1); false with `error` set when
    // the file could not be written.
    [[nodiscard]] virtual bool ExportImage(const std::string& path, int imgType,
                                           std::string& error) = 0;
};

} // namespace dilato
