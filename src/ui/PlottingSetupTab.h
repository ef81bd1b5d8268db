#pragma once
// The "Plotting Setup" tab: plot title, plot type and the folder and file lists to plot from.

#include "ui/MainTab.h"

namespace dilato {
class PlotTabs;
}

namespace dilato::ui {

class PlottingSetupTab final : public MainTab {
  public:
    PlottingSetupTab(TabContext context, PlotTabs& plots, QWidget* parent = nullptr);

    void enterTab() override;
    [[nodiscard]] bool leaveTab(Tab newTab) override;

  private:
    PlotTabs& plots_;
};

} // namespace dilato::ui
