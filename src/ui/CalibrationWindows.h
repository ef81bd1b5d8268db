#pragma once
// The calibration's dialogs as Qt windows: the calibrator type selection, the manual
// thermocouple reading, the calibrator identification and the calibrator test utility. Each
// only collects the operator's choice; the calibration logic checks and acts on it.

#include "calibration/CalibrationDialogs.h"

class QWidget;

namespace dilato::ui {

class HelpViewer;

class QtCalibrationDialogs final : public CalibrationDialogs {
  public:
    QtCalibrationDialogs(HelpViewer& help, QWidget* parent) : help_(help), parent_(parent) {}

    std::optional<int> ChooseCalibratorType(int selected) override;
    std::string AskThermocoupleReading(int commandedTemp) override;
    CalibratorIdentity AskCalibratorIdentity() override;
    void ShowCalibratorTest(CalibratorTestUtility& utility) override;

  private:
    HelpViewer& help_;
    QWidget* parent_;
    // The identification boxes keep what was typed for the next record.
    std::string serial_ = kNotAvailable, certificate_ = kNotAvailable;
};

} // namespace dilato::ui
