#pragma once
// The object graph of the stage calibration, built on a program: the calibrator link, its
// test utility, the record writer, the procedure and the Instr. Calibration tab, with the
// procedure hooked into the read cycle's calibration mode. The GUI, the headless runner and
// the tests build it the same way; only the dialogs and the folder opener differ.

#include "calibration/CalibrationRecord.h"
#include "calibration/CalibratorTestUtility.h"
#include "calibration/StageCalibration.h"
#include "core/CalibrationTabModel.h"
#include "core/Program.h"

namespace dilato {

class CalibrationSession {
  public:
    CalibrationSession(Program& program, CalibrationDialogs& dialogs,
                       std::function<void(const std::string&)> openFolder = {});
    ~CalibrationSession();
    CalibrationSession(const CalibrationSession&) = delete;
    CalibrationSession& operator=(const CalibrationSession&) = delete;

    CalibrationView view;
    CalibratorLink link;
    CalibratorTestUtility testUtility;
    CalibrationRecord record;
    StageCalibration calibration;
    CalibrationTabModel tab;

  private:
    Program& program_;
};

} // namespace dilato
