#include "instrument/InstrumentModels.h"

namespace dilato {

std::optional<double> SensorInches(std::string_view reply) {
    const std::optional<float> inches = ParseSensorReply(reply);
    if (!inches) return std::nullopt;
    return static_cast<double>(*inches);
}

std::optional<double> TeDegrees(std::string_view reply) {
    const std::optional<float> t = ParseTeReadReply(reply);
    if (!t) return std::nullopt;
    return static_cast<double>(*t);
}

std::optional<LinkLine> LinkLineOf(Link link) {
    switch (link) {
    case Link::Displacement:
        return LinkLine{kDisplacementSensor.lineSettings, kDisplacementSensor.lineRate};
    case Link::TempStage:
        return LinkLine{kTempStageSensor0.lineSettings, kTempStageSensor0.lineRate};
    case Link::Calibrator:
        return LinkLine{kNineSixHundred, 0};
    default:
        return std::nullopt;
    }
}

} // namespace dilato
