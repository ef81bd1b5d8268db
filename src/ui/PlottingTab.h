#pragma once
// The "Plotting" tab: the chart of a live or stored test, its graph type and export.

#include "ui/MainTab.h"

namespace dilato {
class PlotTabs;
}

namespace dilato::ui {

class PlottingTab final : public MainTab {
  public:
    PlottingTab(TabContext context, PlotTabs& plots, QWidget* parent = nullptr);

    void enterTab() override;
    [[nodiscard]] bool leaveTab(Tab newTab) override;
    void refresh() override;

  private:
    PlotTabs& plots_;
};

} // namespace dilato::ui
