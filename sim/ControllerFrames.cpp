#include "ControllerFrames.h"

namespace dilato::sim {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::optional<unsigned> DigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return std::nullopt;
}

std::string Hex(unsigned value, int digits) {
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kDigits[value & 0xfu];
    return text;
}

} // namespace

std::string FrameChecksum(std::string_view text) {
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    return Hex(sum & 0xffu, 2);
}

std::string DataDigits(int16_t value) {
    return Hex(static_cast<uint16_t>(value), 4);
}

std::optional<int16_t> ParseDataDigits(std::string_view digits) {
    if (digits.size() != 4) return std::nullopt;
    unsigned word = 0;
    for (const char c : digits) {
        const auto d = DigitValue(c);
        if (!d) return std::nullopt;
        word = word << 4 | *d;
    }
    return static_cast<int16_t>(static_cast<uint16_t>(word));
}

std::optional<ControllerCommand> ParseControllerCommand(std::string_view command) {
    if (command.size() != 9 || command[0] != '*') return std::nullopt;
    const std::string_view body = command.substr(1, 6);
    if (FrameChecksum(body) != command.substr(7, 2)) return std::nullopt;
    const std::string_view code = body.substr(0, 2);
    if (!DigitValue(code[0]) || !DigitValue(code[1])) return std::nullopt;
    const auto data = ParseDataDigits(body.substr(2, 4));
    if (!data) return std::nullopt;
    return ControllerCommand{std::string(code), *data};
}

std::string ControllerAnswer(std::string_view data) {
    std::string answer = "*";
    answer.append(data);
    answer.append(FrameChecksum(data));
    answer.push_back('^');
    return answer;
}

} // namespace dilato::sim
