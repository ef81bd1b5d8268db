#pragma once
// The Instr. Calibration tab as plain state and operations: entering and leaving the tab, the
// CAL, How To, Stop, Browse and TC Cal Test buttons, and the calibration's reports to the
// window. The Qt tab shows `view` and forwards its buttons here.

#include "calibration/CalibratorTestUtility.h"
#include "calibration/StageCalibration.h"
#include "core/MainWindowModel.h"
#include "core/SettingsFile.h"
#include "core/TickControl.h"
#include "storage/Logs.h"
#include "storage/SystemParameterFile.h"

#include <functional>
#include <string>

namespace dilato {

struct CalibrationTabServices {
    TestRun& run;
    MainWindowModel& window;
    TickControl& ticks;
    InstrumentLinks& links;
    SystemParameterFile& paramFile;
    SettingsFile& settings;
    Logs& logs;
    std::string& sysFolder;
    // Opens a folder in the desktop's file manager.
    std::function<void(const std::string& folder)> openFolder;
};

class CalibrationTabModel final : public CalibrationWindow {
  public:
    CalibrationTabModel(CalibrationTabServices services, StageCalibration& calibration,
                        CalibratorLink& link, CalibratorTestUtility& utility,
                        CalibrationView& view);

    void EnterInstCalib();
    // False refuses the switch (the parameter file could not be written).
    [[nodiscard]] bool LeaveInstCalib();

    // The tick's pass in calibration mode.
    void Step();

    // Buttons.
    void HowTo();
    void CalibratorTest();
    void Cal();
    void Stop();
    void Browse();

    void EnableCalUI(bool enable);
    void SetCalButtonDone(bool done);
    void GreyOutCalButton(bool grayOut);
    void EndCalibrationUI();
    void CalibrationCompleted();

    // CalibrationWindow
    void UpdateTestStatus(TestState phase) override;
    void RefreshCalUI(bool reset) override;

    [[nodiscard]] const CalibrationView& view() const { return view_; }

  private:
    CalibrationTabServices s_;
    StageCalibration& cal_;
    CalibratorLink& link_;
    CalibratorTestUtility& utility_;
    CalibrationView& view_;
};

inline constexpr const char* kHowToText =
    "Stage Temperature Calibration:\r\n"
    "   a) Remove the sample vial assembly from the tester.\r\n"
    "   b) Connect the Tc Calibrator to rear-panel Tc port.\r\n"
    "   c) For Martel calibrator ONLY: Connect Calibrator to a PC serial or USB port.\r\n"
    "   d) Hit CAL button to start calibration.\r\n"
    "   e) For Manual calibrator ONLY: enter the measured Tc temperature when prompted.";

} // namespace dilato
