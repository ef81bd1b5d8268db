#include "TempStageController.h"

#include "instrument/TeProtocol.h"

#include <algorithm>
#include <cmath>

namespace dilato::sim {

namespace {

constexpr int kControllerBaud = 230400;
constexpr double kReactionSeconds = 0.002;

std::optional<std::string> WriteCodeOf(const std::string& code, bool& isWrite) {
    for (const auto& p : kTeParameters) {
        if (code == p.writeCode) {
            isWrite = true;
            return std::string(p.writeCode);
        }
        if (!p.readCode.empty() && code == p.readCode) {
            isWrite = false;
            return std::string(p.writeCode);
        }
    }
    return std::nullopt;
}

// A reading in hundredths, kept within the 16 bits of the answer.
std::string Data(double hundredths) {
    return EncodeTeValue(std::clamp(std::nearbyint(hundredths), -32768.0, 32767.0));
}

} // namespace

std::string ControllerAnswer(std::string_view data) {
    std::string answer = "*";
    answer.append(data);
    answer.append(TeChecksum(data));
    answer.push_back('^');
    return answer;
}

TempStageController::TempStageController(Bench& bench)
    : SimDevice("Temp-Stage controller", kControllerBaud, kReactionSeconds), bench_(bench) {}

std::optional<int16_t> TempStageController::parameter(const std::string& writeCode) const {
    const auto it = table_.find(writeCode);
    if (it == table_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> TempStageController::answer(const std::string& command, double now) {
    const std::string bad = ControllerAnswer("XXXX");
    // "*" code(2) data(4) checksum(2); the carriage return is already gone.
    if (command.size() != 9 || command[0] != '*') return bad;
    const std::string payload = command.substr(1, 6);
    if (TeChecksum(payload) != command.substr(7, 2)) return bad;
    const std::string code = payload.substr(0, 2);
    bench_.advanceTo(now);
    if (code == "01") return ControllerAnswer(Data(bench_.thermistorReading() * 100.0));
    if (code == "04") return ControllerAnswer(Data(bench_.heatSinkReading() * 100.0));
    bool isWrite = false;
    const auto writeCode = WriteCodeOf(code, isWrite);
    if (!writeCode) return bad;
    if (isWrite) {
        int16_t value = 0;
        try {
            value = DecodeTeData(payload.substr(1, 5)); // digits 2 to 5 of "c" + data
        } catch (const ConversionError&) {
            return bad;
        }
        table_[*writeCode] = value;
        ++writes_;
        if (*writeCode == "1c") bench_.setControllerSetPoint(value / 100.0);
    }
    const auto it = table_.find(*writeCode);
    return ControllerAnswer(EncodeTeValue(it == table_.end() ? 0 : it->second));
}

} // namespace dilato::sim
