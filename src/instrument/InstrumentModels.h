#pragma once
// The instruments' reading exchanges as data, one row a model: what a model is sent, how long
// its answer is, how the answer becomes a reading, and the line its link runs at. A new sensor
// model is a new row (with a parser in its protocol file) and a simulated device that speaks
// it; tests/instrument/ModelContractTest runs every row against its device.
//
// Each link's line comes from here too: the settings text it opens with and the rate it is
// switched to once open.

#include "instrument/Link.h"
#include "instrument/SensorProtocol.h"
#include "instrument/TeProtocol.h"

#include <array>
#include <optional>
#include <string_view>

namespace dilato {

struct ReadingModel {
    std::string_view name;
    std::string_view lineSettings; // "baud,parity,data bits,stop bits", used when the link opens
    int lineRate;                  // the rate set once the link is open; 0: the settings' own
    std::string_view command;      // sent as it stands
    size_t replyLength;            // an answer of any other length is no reading
    // The reading an answer carries (in the model's unit); nullopt for anything that is not
    // a reading. Pure: it sees only the answer's bytes.
    std::optional<double> (*parse)(std::string_view reply);
};

// The parsers of the table, as readings in double.
[[nodiscard]] std::optional<double> SensorInches(std::string_view reply);
[[nodiscard]] std::optional<double> TeDegrees(std::string_view reply);

inline constexpr std::string_view kNineSixHundred = "9600,N,8,1";
// The Temp-Stage controller's line rate, set once its link is open.
inline constexpr int kTempStageBaud = 230400;

inline constexpr std::array<ReadingModel, 3> kReadingModels{{
    // the reading in inches
    {"displacement sensor", kNineSixHundred, 0, kSensorCommand, kSensorReplyLength,
     &SensorInches},
    // °C before the stage calibration: the stage (used everywhere) and the heat sink
    {"Temp-Stage controller, stage sensor", kNineSixHundred, kTempStageBaud, kTeReadSensor0,
     kTeReplyLength, &TeDegrees},
    {"Temp-Stage controller, heat-sink sensor", kNineSixHundred, kTempStageBaud, kTeReadSensor1,
     kTeReplyLength, &TeDegrees},
}};
inline constexpr const ReadingModel& kDisplacementSensor = kReadingModels[0];
inline constexpr const ReadingModel& kTempStageSensor0 = kReadingModels[1];
inline constexpr const ReadingModel& kTempStageSensor1 = kReadingModels[2];

// The line of a link: that of the model it reads; the calibrator's link, whose answers are
// read as text, opens at 9600 baud as well. nullopt for `Link::All` (no link of its own).
struct LinkLine {
    std::string_view settings;
    int rate; // 0: the settings' own
};
[[nodiscard]] std::optional<LinkLine> LinkLineOf(Link link);

} // namespace dilato
