#pragma once
// The chart of the Results tab: the overlay of strain against temperature, or α(T) with its
// uncertainty bands. It draws what the model builds and writes it as PNG, PDF or SVG; the
// charting library stays inside it, as in the plotting tabs' graph object.

#include "ui/results/ResultsPorts.h"

#include <QPointer>

#include <string>
#include <vector>

class QCustomPlot;
class QWidget;

namespace dilato {

class ResultsChart final : public ResultsCanvas {
  public:
    explicit ResultsChart(QWidget* parent = nullptr);
    ~ResultsChart() override;
    ResultsChart(const ResultsChart&) = delete;
    ResultsChart& operator=(const ResultsChart&) = delete;

    [[nodiscard]] QWidget* widget() const;
    void setObjectName(const QString& name);

    void DrawOverlay(const OverlayFigure& figure) override;
    void DrawAlpha(const AlphaFigure& figure) override;
    [[nodiscard]] bool Export(const std::string& path, ImageFormat format,
                              std::string& error) override;

    // What is drawn, for tests: the number of plottables and of legend entries, the
    // points drawn in all.
    [[nodiscard]] int plottables() const;
    [[nodiscard]] int legendEntries() const;
    [[nodiscard]] int pointsDrawn() const { return points_; }
    // Draws now (the chart otherwise waits for the event loop); the milliseconds it took.
    double RepaintNow();

  private:
    void Clear(const char* title);
    void Scale(double xMin, double xMax, double yMin, double yMax, double ySpan);
    void Message(const std::string& text);

    QCustomPlot* chart_;
    QPointer<QObject> chartAlive_;
    int points_ = 0;
};

} // namespace dilato
