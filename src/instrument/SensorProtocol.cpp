#include "instrument/SensorProtocol.h"

#include "platform/LeadingNumber.h"

namespace dilato {

std::optional<float> ParseSensorReply(std::string_view reply) {
    if (reply.size() != kSensorReplyLength) return std::nullopt;
    const std::optional<double> millimetres = WholeNumber(reply.substr(6, 10));
    if (!millimetres) return std::nullopt;
    return static_cast<float>(*millimetres / kMillimetresPerInch);
}

} // namespace dilato
