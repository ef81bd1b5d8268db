#pragma once
// The Temp-Stage controller's framed ASCII protocol, as pure functions on texts.
//
// A frame is "*", a two-digit command code, four data digits, a two-digit checksum (the low
// eight bits of the sum of the character codes of code and data) and a carriage return: ten
// characters, hexadecimal digits in lower case. The controller answers every frame with
// eight characters whose second to fifth are four data digits. Values travel as 16-bit
// two's-complement integers; the set-point in hundredths of a degree.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dilato {

inline constexpr size_t kTeFrameLength = 10;
inline constexpr size_t kTeReplyLength = 8;

// The two fixed read frames: sensor 0 (the stage temperature used everywhere) and sensor 1.
inline constexpr std::string_view kTeReadSensor0 = "*01000021\r";
inline constexpr std::string_view kTeReadSensor1 = "*04000024\r";

// Two lower-case hexadecimal digits of the checksum of `payload` (code + data).
[[nodiscard]] std::string TeChecksum(std::string_view payload);
// "*" + payload + checksum + carriage return. Ten characters for a six-character payload;
// any other length gives a text of another length, which the caller refuses to send.
[[nodiscard]] std::string BuildTeFrame(std::string_view payload);

// The four data digits of a value: a positive value rounded to the nearest integer (ties to
// even); zero or a negative v as 65536 - |v|, rounded likewise; the last four digits kept.
// Throws std::overflow_error for a value beyond the controller's 32-bit arithmetic.
[[nodiscard]] std::string EncodeTeValue(double value);

// A malformed controller answer that cannot be turned into a number.
class ConversionError : public std::runtime_error {
  public:
    ConversionError() : std::runtime_error("Type mismatch") {}
    static constexpr int kNumber = 13;
};

// Characters 2 to 5 of an answer as a signed 16-bit integer ("ffff" is -1). Throws
// ConversionError when the answer is too short or those characters are not hexadecimal.
[[nodiscard]] int16_t DecodeTeData(std::string_view reply);
// The temperature an answer carries: data / 100, with results above 110.00 taken as
// wrapped negatives (655.36 subtracted).
[[nodiscard]] float DecodeTeTemperature(std::string_view reply);
// The temperature of a read answer; nullopt for an answer of the wrong length or without
// hexadecimal data, which is no reading.
[[nodiscard]] std::optional<float> ParseTeReadReply(std::string_view reply);

// A controller parameter the program writes: write code, read-back code ("" for none).
struct TeParameter {
    int index;
    std::string_view writeCode;
    std::string_view readCode;
};
inline constexpr std::array<TeParameter, 15> kTeParameters{{
    {0, "1c", "50"}, // set-point, hundredths of a degree
    {1, "25", "59"},
    {2, "26", "5a"},
    {3, "22", "56"},
    {4, "23", "57"},
    {6, "28", "5c"},
    {7, "29", "5d"},
    {8, "31", "65"},
    {9, "75", ""},
    {10, "2b", "5f"},
    {11, "2d", "61"},
    {12, "3a", "6e"},
    {13, "20", "54"},
    {14, "47", "7c"},
    {15, "30", "64"},
}};
// The entry of a parameter index; nullopt for 5 and anything outside the table.
[[nodiscard]] std::optional<TeParameter> FindTeParameter(int index);

// The initial parameter set, in the order the controller is sent it.
struct TeSetting {
    int index;
    double value;
};
// The controller's own set-point limits (parameters 3 and 4), °C. A reading above the upper
// one does not decode as a temperature either.
inline constexpr int kTeLowestSetPoint = -35;
inline constexpr int kTeHighestSetPoint = 110;
inline constexpr std::array<TeSetting, 13> kTeInitialSettings{{
    {3, kTeLowestSetPoint},
    {4, kTeHighestSetPoint},
    {6, -50},
    {7, 200},
    {12, 0},
    {1, -34},
    {10, 0},
    {8, 1},
    {11, 0},
    {9, 0},
    {13, 3},
    {14, 3},
    {15, 1},
}};
inline constexpr int kTeTestModeParameter = 7;
inline constexpr double kTeTestModeOn = 25;
inline constexpr double kTeTestModeOff = 75;
inline constexpr int kTeAfterSetPointParameter = 2;
inline constexpr double kTeAfterSetPointValue = -32;

// Round to the nearest integer, ties to even (the controller's and the program's rounding).
[[nodiscard]] double RoundHalfEven(double value);

} // namespace dilato
