#pragma once
// The reference thermocouple calibrator: the search for a Martel 8010 over the COM ports
// (never probing the displacement sensor's or the Temp-Stage's port), its set-up and reading
// commands on link 3, and the manual calibrator, where the operator types the reading.

#include "calibration/CalibrationDialogs.h"
#include "instrument/InstrumentLinks.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dilato {

struct CalibratorLinkServices {
    InstrumentLinks& links; // link 3, `CommandedTemp`, the clock, operator, log and tick
    CalibrationDialogs& dialogs;
    std::int16_t& calibratorType;               // kept in the settings file
    std::function<std::vector<int>()> ComPorts; // the COM ports that opened at start-up
};

class CalibratorLink {
  public:
    explicit CalibratorLink(CalibratorLinkServices services) : s_(std::move(services)) {}

    // Searches the ports for the Martel 8010 and sets it up; `message` says what was found.
    bool InitCalibrator(std::string& message);
    // Sends the set-up commands on the open link 3 and checks the identification.
    bool SetupCalibrator();
    // One "VAL?" exchange with up to three tries.
    bool ReadCalibratorTemperature(float& temp, std::string& error);
    // ReadCalibratorTemperature with its message for the operator and the test log.
    bool TakeCalibratorTemperature(float& temp, std::string& message);
    // Asks the operator until a plausible reading is entered; there is no way to cancel.
    bool ManualCalibratorEntry(float& temp);

    // Where the search reports the port it tries (the test utility's status box).
    void setSearchStatus(std::function<void(const std::string&)> status) {
        searchStatus_ = std::move(status);
    }

    [[nodiscard]] int CalibratorType() const { return s_.calibratorType; }
    void setCalibratorType(int type) { s_.calibratorType = static_cast<std::int16_t>(type); }
    [[nodiscard]] InstrumentLinks& links() { return s_.links; }
    [[nodiscard]] CalibrationDialogs& dialogs() { return s_.dialogs; }

  private:
    void Send(const std::string& command);
    CalibratorLinkServices s_;
    std::function<void(const std::string&)> searchStatus_;
};

// The type dialog with its confirmation: shows `frmTcCalType` from the current type (3 when
// it is neither 3 nor 4); a changed choice is confirmed by a Yes/No box before it takes
// effect. False when the dialog was cancelled.
[[nodiscard]] bool SelectCalibratorType(CalibratorLink& link, Operator& op);

} // namespace dilato
