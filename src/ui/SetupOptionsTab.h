#pragma once
// The "Setup Options" tab: the persistent test options: temperatures, password, units, data file
// options, accuracy, calibration.

#include "ui/MainTab.h"

namespace dilato::ui {

class SetupOptionsTab final : public MainTab {
  public:
    explicit SetupOptionsTab(TabContext context, QWidget* parent = nullptr);
};

} // namespace dilato::ui
