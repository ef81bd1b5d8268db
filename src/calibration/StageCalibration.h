#pragma once
// The stage thermocouple calibration: on each tick in calibration mode it drives the stage
// through the five set points of the plan, waits at each until the stage reading is steady,
// takes the reference reading (serial calibrator or operator), and at the end fits the
// thermistor line (`Scale` 3 and 4) and the commanded line (`Scale` 1 and 2), saves them with
// the calibration date and writes the calibration record.
//
// A calibration that is aborted or whose fits are rejected changes no constant, keeps the
// calibration date and writes no record; either way the stage returns to 20 °C uncalibrated
// with its test mode off.

#include "analysis/TestState.h"
#include "calibration/CalibrationRecord.h"
#include "calibration/CalibrationView.h"
#include "calibration/CalibratorLink.h"
#include "storage/SystemParameters.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace dilato {

// `CalRunState` and `CalPhase` values.
namespace calrun {
inline constexpr int Running = 4;
inline constexpr int Idle = 10;
} // namespace calrun
namespace calphase {
inline constexpr int Ready = 0;
inline constexpr int Starting = 1;
inline constexpr int Stepping = 2;
inline constexpr int Ended = 3;
} // namespace calphase

// What the calibration asks of the main window.
class CalibrationWindow {
  public:
    virtual ~CalibrationWindow() = default;
    // The status text of the calibration tab (by `CalPhase` while `testState` is StepStart).
    virtual void UpdateTestStatus(TestState phase) = 0;
    // The CAL button from `CalDone`; completes the tab when the calibration is done.
    virtual void RefreshCalUI(bool reset) = 0;
};

struct StageCalibrationServices {
    CalibratorLink& link;
    SystemParameters& params;
    CalibrationRecord& record;
    CalibrationWindow& window;
    CalibrationView& view;
    // Saves the system parameter file; false when it could not be written.
    std::function<bool()> SaveSystemFile;
};

enum class CalOutcome { None, Succeeded, Rejected, Aborted };

// Columns of `CalData`.
namespace calcol {
inline constexpr int SetPoint = 0;
inline constexpr int Reference = 1;
inline constexpr int Stage = 2; // the thermistor's reading without its correction
} // namespace calcol

using ScaleSet = std::array<float, 4>; // `Scale` 1 to 4

inline constexpr const char* kCalAbortAdvice =
    "Calibration Aborted: Check thermocouple cable from Tc Calibrator to Tester rear panel.";

class StageCalibration {
  public:
    explicit StageCalibration(StageCalibrationServices services);

    // The calibration step handler: one pass of the tick in calibration mode.
    void Step();
    // One step of the procedure; false ends it.
    bool RunCalibrationStep();
    // Commands the current point's set point when needed and takes one reference reading.
    bool TakeReferenceReading(std::string& message);
    // Adds `SampleTemp` to the point's readings and tells whether they are steady.
    bool PointStable();
    // The two fits; `ok` false leaves every constant as it was.
    void ProcessCalibrationData(bool& ok);
    // Writes the record's body with the constants from before the calibration.
    void FileCalibrationData(const ScaleSet& before);

    // Entering the tab: idle, nothing done, no readings, a fresh record next time.
    void Reset();

    // The rows of an 'As Found' or 'As Left' table with these constants: the temperature the
    // calibrated stage would show, the reference, and their difference.
    [[nodiscard]] std::vector<std::array<double, 3>> DeviationRows(const ScaleSet& scale) const;
    [[nodiscard]] ScaleSet CurrentScale() const;

    int CalRunState = calrun::Idle;
    int CalPhase = calphase::Ready;
    bool CalDone = false;
    int CalPointCount = 0;
    int CalPointIndex = 0;
    // `CalData`: row r (1 to CalPointCount) at index r - 1.
    std::vector<std::array<float, 3>> CalData;
    CalOutcome outcome = CalOutcome::None;
    ScaleSet scaleBefore{}; // the constants when the last calibration finished

  private:
    [[nodiscard]] std::array<float, 3>& Row() { return CalData.at(static_cast<size_t>(CalPointIndex - 1)); }
    [[nodiscard]] bool Manual() const { return s_.link.CalibratorType() == tccal::Manual; }
    // Ends the calibration as a failure with the message and the advice below it.
    bool Abort(const std::string& message, const char* advice = kCalAbortAdvice);
    bool Finish(bool aborted);
    void RejectFit();
    void WriteTable(const ScaleSet& scale);

    StageCalibrationServices s_;
    int lastRunState_ = -1;
    std::vector<float> history_;
    int historySetPoint_ = 0;
};

} // namespace dilato
