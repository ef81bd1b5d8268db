#pragma once
// The control chart of the reference runs, drawn from the chart's model: each run's measured
// CTE against its date, the certified value with the band of its combined expanded
// uncertainty, the lab's action limits (mean +/- 2 s and 3 s), checks that broke a rule in
// red, and the verdict above it. The window decides nothing: the model has.

#include "calibration/ControlChart.h"

#include <QDialog>

class QCustomPlot;
class QLabel;

namespace dilato::ui {

class ReferenceChartWindow final : public QDialog {
  public:
    explicit ReferenceChartWindow(QWidget* parent = nullptr);

    // Draws `chart` (replacing what was drawn).
    void show(const ChartState& chart);

    [[nodiscard]] QCustomPlot* plot() const { return plot_; }
    [[nodiscard]] QString verdict() const;

  private:
    QCustomPlot* plot_ = nullptr;
    QLabel* verdict_ = nullptr;
};

} // namespace dilato::ui
