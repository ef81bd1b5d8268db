#pragma once
// The "Plotting Setup" tab: plot title, plot type and the folder and file lists to plot from.

#include "ui/MainTab.h"

namespace dilato::ui {

class PlottingSetupTab final : public MainTab {
  public:
    explicit PlottingSetupTab(TabContext context, QWidget* parent = nullptr);
};

} // namespace dilato::ui
