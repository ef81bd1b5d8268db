#pragma once
// `Graph`: the graph object the main window draws every plot with. It owns the chart widget
// and is the only part of the program that knows the charting library. Besides the plot itself
// it gives the operator tool tips with a point's values, zoom (wheel) and pan (drag) with the
// mouse, and the full view back on a double-click.

#include "ui/plot/ColorScheme.h"
#include "ui/plot/PlotCanvas.h"

#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCustomPlot;
class QWidget;

namespace dilato {

class Graph final : public PlotCanvas {
  public:
    explicit Graph(QWidget* parent = nullptr);
    ~Graph() override;
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;

    // The chart widget, for the window's layout.
    [[nodiscard]] QWidget* ChartWidget() const;

    // PlotCanvas
    void SetupGraph(const GraphSetup& setup) override;
    void Plot(const PlotFigure& figure) override;
    void SetGradient(bool on) override;
    [[nodiscard]] bool ExportImage(const std::string& path, int imgType,
                                   std::string& error) override;
    // The same at a chosen size in pixels (0: the chart's own).
    [[nodiscard]] bool ExportImage(const std::string& path, int imgType, int width, int height,
                                   std::string& error);

    // The parts of a plot, as the plotting routine uses them.
    void SetAxesScaling(const std::optional<AxisScale>& x, const std::optional<AxisScale>& y);
    void AddSeries(const PlotSeries& series);
    void AddAnnotation(const std::string& text, PlotColor color);
    void SetLegend(int legendPos);
    void AddMarkerToolTips();

    // Back to the scaled view after zooming or panning.
    void FullView();
    // The tool tip of the point nearest to `pos` (chart pixels) within a few pixels; empty
    // when there is none.
    [[nodiscard]] std::string ToolTipAt(double px, double py) const;

    // Chart pixels of a data point, and the horizontal range shown.
    [[nodiscard]] std::pair<double, double> PixelOf(double x, double y) const;
    [[nodiscard]] std::pair<double, double> XRange() const;

    // What is shown, for tests and for the window's captions.
    [[nodiscard]] std::string ChartTitleText() const;
    [[nodiscard]] std::vector<std::string> Annotations() const;
    [[nodiscard]] int SeriesCount() const;
    [[nodiscard]] int LegendItemCount() const;

    GraphKind shownGraphType = GraphKind::DisplacementTime;
    std::string shownTitle, XAxisTitle, YAxisTitle;
    int schemeNumber = 1;
    bool FullScreen = false;
    bool PrintMode = false;

  private:
    void ApplyScheme();
    void PlaceAnnotations();

    QCustomPlot* chart_;
    QPointer<QObject> chartAlive_; // the window may delete the chart before the graph object
    std::array<ColorScheme, kColorSchemes> schemes_;
    bool gradient_ = true;
    bool unitsInches_ = true;
    std::optional<AxisScale> xScale_, yScale_;
    struct Label;
    std::vector<std::unique_ptr<Label>> labels_;
};

} // namespace dilato
