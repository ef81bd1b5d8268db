#include "DisplacementSensor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dilato::sim {

namespace {
constexpr int kSensorBaud = 9600;
constexpr double kReactionSeconds = 0.008;
} // namespace

std::string SensorField(double mm) {
    const double clamped = std::clamp(mm, -9999.9999, 9999.9999);
    char field[32];
    std::snprintf(field, sizeof field, "%+010.4f", clamped);
    return field;
}

DisplacementSensor::DisplacementSensor(Bench& bench)
    : SimDevice("displacement sensor", kSensorBaud, kReactionSeconds), bench_(bench) {}

std::optional<std::string> DisplacementSensor::answer(const std::string& command, double now) {
    if (command != "MS") return std::string("ER,MS,01\r");
    bench_.advanceTo(now);
    double mm = bench_.indicatorMillimetres();
    if (currentFault() == Fault::Negative) mm = -std::fabs(mm);
    std::string reply = "MS,01,";
    reply.append(SensorField(mm));
    reply.push_back('\r');
    return reply;
}

} // namespace dilato::sim
