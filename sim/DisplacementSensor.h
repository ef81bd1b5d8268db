#pragma once
// The simulated displacement sensor at 9600 baud: "MS" answers "MS,01," + the reading in
// millimetres as ten characters ("+0002.5400") + carriage return, 17 characters in all.
// Anything else answers "ER,MS,01" + carriage return.

#include "Bench.h"
#include "SimDevice.h"

namespace dilato::sim {

class DisplacementSensor final : public SimDevice {
  public:
    explicit DisplacementSensor(Bench& bench);

  protected:
    std::optional<std::string> answer(const std::string& command, double now) override;

  private:
    Bench& bench_;
};

// The ten-character field of a reading in millimetres (clamped to the field).
[[nodiscard]] std::string SensorField(double millimetres);

} // namespace dilato::sim
