#pragma once
// The "Plotting" tab: the chart of a live or stored test, its graph type and export.

#include "ui/MainTab.h"

namespace dilato::ui {

class PlottingTab final : public MainTab {
  public:
    explicit PlottingTab(TabContext context, QWidget* parent = nullptr);
};

} // namespace dilato::ui
