#pragma once
// The "Instr. Calibration" tab: the stage calibration: calibration data, CAL, How To..., Stop,
// Browse, TC Cal Test, the hour meter.

#include "ui/MainTab.h"

namespace dilato::ui {

class InstrCalibrationTab final : public MainTab {
  public:
    explicit InstrCalibrationTab(TabContext context, QWidget* parent = nullptr);
};

} // namespace dilato::ui
