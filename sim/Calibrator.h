#pragma once
// The simulated reference thermocouple calibrator at 9600 baud. Set-up commands ("MEAS TC",
// "TSENS_TYPE TC", "TC_TYPE T", "CJC_STATE ON") are taken without an answer; "*IDN?" answers
// its identification, beginning "MARTEL"; "VAL?" the stage temperature as the thermocouple
// sees it plus the calibrator's own error, or "OVER" when the thermocouple is unplugged.

#include "Bench.h"
#include "SimDevice.h"

namespace dilato::sim {

inline constexpr const char* kCalibratorIdentity = "MARTEL,8010,SIM0001,1.00";

class ReferenceCalibrator final : public SimDevice {
  public:
    explicit ReferenceCalibrator(Bench& bench);
    bool thermocoupleConnected = true;
    // The set-up the program gave it.
    [[nodiscard]] bool configuredForTypeT() const;

  protected:
    std::optional<std::string> answer(const std::string& command, double now) override;

  private:
    Bench& bench_;
    bool measureTc_ = false, sensorTc_ = false, typeT_ = false, cjc_ = false;
};

} // namespace dilato::sim
