#pragma once
// The simulated Temp-Stage controller: answers every frame of its protocol byte for byte at
// 230400 baud, keeps the parameter table it is written, and drives the bench's stage toward
// the set point (parameter 0, hundredths of a degree).
//
// An answer is "*", four data digits, the checksum of those digits and "^": eight characters.
// Reads of sensor 0 (code 01) give the thermistor's reading, sensor 1 (code 04) the heat
// sink's; a write answers the value now stored, and so does its read-back code. A frame with
// a wrong checksum or an unknown code is answered with the data "XXXX".

#include "Bench.h"
#include "SimDevice.h"

#include <cstdint>
#include <map>

namespace dilato::sim {

// The parameters the controller keeps: each has a write code and (all but "75") a read-back
// code; "1c" is the set point in hundredths of a degree.
struct ControllerParameter {
    const char* writeCode;
    const char* readCode; // "" for none
};
inline constexpr ControllerParameter kControllerParameters[] = {
    {"1c", "50"}, {"25", "59"}, {"26", "5a"}, {"22", "56"}, {"23", "57"},
    {"28", "5c"}, {"29", "5d"}, {"31", "65"}, {"75", ""},   {"2b", "5f"},
    {"2d", "61"}, {"3a", "6e"}, {"20", "54"}, {"47", "7c"}, {"30", "64"},
};

class TempStageController final : public SimDevice {
  public:
    explicit TempStageController(Bench& bench);

    // The value last written to a parameter (by its write code, e.g. "1c"); nullopt: never.
    [[nodiscard]] std::optional<int16_t> parameter(const std::string& writeCode) const;
    [[nodiscard]] size_t writes() const { return writes_; }

  protected:
    std::optional<std::string> answer(const std::string& command, double now) override;

  private:
    Bench& bench_;
    std::map<std::string, int16_t> table_; // write code -> value
    size_t writes_ = 0;
};

} // namespace dilato::sim
