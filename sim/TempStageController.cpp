#include "TempStageController.h"

#include "ControllerFrames.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace dilato::sim {

namespace {

constexpr int kControllerBaud = 230400;
constexpr double kReactionSeconds = 0.002;

// The parameter a code writes or reads back; nullopt for an unknown code.
std::optional<std::string> WriteCodeOf(const std::string& code, bool& isWrite) {
    for (const ControllerParameter& p : kControllerParameters) {
        if (code == p.writeCode) {
            isWrite = true;
            return std::string(p.writeCode);
        }
        if (*p.readCode && code == p.readCode) {
            isWrite = false;
            return std::string(p.writeCode);
        }
    }
    return std::nullopt;
}

// A reading in hundredths, rounded and kept within the 16 bits of the answer.
std::string Reading(double degrees) {
    const double hundredths = std::clamp(std::nearbyint(degrees * 100.0), -32768.0, 32767.0);
    return DataDigits(static_cast<int16_t>(hundredths));
}

} // namespace

TempStageController::TempStageController(Bench& bench)
    : SimDevice("Temp-Stage controller", kControllerBaud, kReactionSeconds), bench_(bench) {}

std::optional<int16_t> TempStageController::parameter(const std::string& writeCode) const {
    const auto it = table_.find(writeCode);
    if (it == table_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> TempStageController::answer(const std::string& command, double now) {
    const std::string bad = ControllerAnswer("XXXX");
    const auto frame = ParseControllerCommand(command); // the carriage return is already gone
    if (!frame) return bad;
    bench_.advanceTo(now);
    if (frame->code == "01") return ControllerAnswer(Reading(bench_.thermistorReading()));
    if (frame->code == "04") return ControllerAnswer(Reading(bench_.heatSinkReading()));
    bool isWrite = false;
    const auto writeCode = WriteCodeOf(frame->code, isWrite);
    if (!writeCode) return bad;
    if (isWrite) {
        table_[*writeCode] = frame->data;
        ++writes_;
        if (*writeCode == "1c") bench_.setControllerSetPoint(frame->data / 100.0);
    }
    const auto it = table_.find(*writeCode);
    return ControllerAnswer(DataDigits(it == table_.end() ? int16_t{0} : it->second));
}

} // namespace dilato::sim
