#pragma once
// The windows the calibration opens, as the logic sees them. The GUI shows Qt dialogs; the
// headless runner answers from its command line; tests script the answers. Each dialog only
// collects what the operator chose: the checks and consequences are the logic's.

#include <optional>
#include <string>

namespace dilato {

class CalibratorTestUtility;

// The calibrator types (`CalibratorLink::CalibratorType`).
namespace tccal {
inline constexpr int Martel8010 = 3;
inline constexpr int Manual = 4;
} // namespace tccal

// What the operator typed into the calibrator identification dialog.
struct CalibratorIdentity {
    std::string serial;      // `txtTcSerial`
    std::string certificate; // `txtTcCert`
};

inline constexpr const char* kNotAvailable = " - not available - ";

class CalibrationDialogs {
  public:
    virtual ~CalibrationDialogs() = default;
    // "Tc Calibrator Type Selection" (`frmTcCalType`): the option the operator selected and
    // confirmed with OK (3 or 4), starting from `selected`; nullopt when closed otherwise.
    [[nodiscard]] virtual std::optional<int> ChooseCalibratorType(int selected) = 0;
    // "Thermocouple Reading Entry" (`frmTcCalManEnter`): the text typed into
    // `txtBoxTcEntry` before OK; the stage was last commanded to `commandedTemp` °C.
    [[nodiscard]] virtual std::string AskThermocoupleReading(int commandedTemp) = 0;
    // "System Calibration" (`frmTcCalSerialNum`): the calibrator's serial and certificate.
    [[nodiscard]] virtual CalibratorIdentity AskCalibratorIdentity() = 0;
    // "TC Calibrator Test Utility" (`frmTcCalTest`), modal: the window activates the utility,
    // forwards its buttons and returns when the utility has closed.
    virtual void ShowCalibratorTest(CalibratorTestUtility& utility) = 0;
};

} // namespace dilato
