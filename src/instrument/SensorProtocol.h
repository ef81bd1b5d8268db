#pragma once
// The displacement sensor's protocol: the command "MS" + CR LF asks for one measurement; the
// answer is exactly 17 characters, of which the 7th to the 16th hold the reading in
// millimetres as decimal text. A field that is not a number (blanks aside) is no reading:
// taking it as 0 inches would store a measurement the sensor never made.

#include <optional>
#include <string_view>

namespace dilato {

inline constexpr std::string_view kSensorCommand = "MS\r\n";
inline constexpr size_t kSensorReplyLength = 17;
inline constexpr double kMillimetresPerInch = 25.4;

// The reading of an answer in inches; nullopt unless the answer has exactly 17 characters
// and its reading field holds a number and nothing else.
[[nodiscard]] std::optional<float> ParseSensorReply(std::string_view reply);

} // namespace dilato
