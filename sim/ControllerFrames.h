#pragma once
// The Temp-Stage controller's frames as the controller itself reads and writes them.
//
// A command is "*", a two-digit command code, four data digits and two checksum digits,
// ended by a carriage return; the checksum is the low eight bits of the sum of the character
// codes of code and data. All digits are hexadecimal in lower case. Data are 16-bit words in
// two's complement (ffdd is -35). The controller answers with eight characters: "*", four
// data digits, the checksum of those digits and "^".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dilato::sim {

// Two lower-case hexadecimal digits of the checksum of `text`.
[[nodiscard]] std::string FrameChecksum(std::string_view text);

// Four lower-case hexadecimal digits of a 16-bit word.
[[nodiscard]] std::string DataDigits(int16_t value);
// A value of four lower-case hexadecimal digits as a signed 16-bit word; nullopt for
// anything else.
[[nodiscard]] std::optional<int16_t> ParseDataDigits(std::string_view digits);

struct ControllerCommand {
    std::string code; // two digits
    int16_t data;
};
// A command without its carriage return; nullopt when it is not exactly "*", code, data and
// a checksum that matches, in lower-case digits.
[[nodiscard]] std::optional<ControllerCommand> ParseControllerCommand(std::string_view command);

// The answer carrying `data` (four characters, normally DataDigits of a value).
[[nodiscard]] std::string ControllerAnswer(std::string_view data);

} // namespace dilato::sim
