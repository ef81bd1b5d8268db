#include "Calibrator.h"

#include <cstdio>

namespace dilato::sim {

namespace {
constexpr int kCalibratorBaud = 9600;
constexpr double kReactionSeconds = 0.05;
} // namespace

ReferenceCalibrator::ReferenceCalibrator(Bench& bench)
    : SimDevice("reference calibrator", kCalibratorBaud, kReactionSeconds), bench_(bench) {}

bool ReferenceCalibrator::configuredForTypeT() const {
    return measureTc_ && sensorTc_ && typeT_ && cjc_;
}

std::optional<std::string> ReferenceCalibrator::answer(const std::string& command, double now) {
    if (command == "MEAS TC")
        measureTc_ = true;
    else if (command == "TSENS_TYPE TC")
        sensorTc_ = true;
    else if (command == "TC_TYPE T")
        typeT_ = true;
    else if (command == "CJC_STATE ON")
        cjc_ = true;
    else if (command == "*IDN?")
        return std::string(kCalibratorIdentity) + "\r\n";
    else if (command == "VAL?") {
        if (!thermocoupleConnected || currentFault() == Fault::Over) return std::string("OVER\r\n");
        bench_.advanceTo(now);
        char text[32];
        std::snprintf(text, sizeof text, "%.2f\r\n", bench_.calibratorReading());
        return std::string(text);
    }
    return std::nullopt;
}

} // namespace dilato::sim
