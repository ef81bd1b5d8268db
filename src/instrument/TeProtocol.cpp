#include "instrument/TeProtocol.h"

#include <cmath>
#include <cstdio>

namespace dilato {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
    return buffer;
}

} // namespace

double RoundHalfEven(double value) {
    return std::nearbyint(value); // the default rounding mode: to nearest, ties to even
}

std::string TeChecksum(std::string_view payload) {
    unsigned sum = 0;
    for (const char c : payload)
        sum += static_cast<unsigned char>(c);
    return Hex(sum & 0xffu, 2);
}

std::string BuildTeFrame(std::string_view payload) {
    std::string frame = "*";
    frame += payload;
    frame += TeChecksum(payload);
    frame += '\r';
    return frame;
}

std::string EncodeTeValue(double value) {
    if (!std::isfinite(value)) throw std::overflow_error("Overflow");
    const double wire = value > 0 ? value : 65536.0 - std::fabs(value);
    const double rounded = RoundHalfEven(wire);
    if (rounded > 2147483647.0 || rounded < -2147483648.0) throw std::overflow_error("Overflow");
    // Positive: the hexadecimal digits; negative (a value below -65536): two's complement.
    // Either way the last four digits are those of the value modulo 65536.
    const auto n = static_cast<long long>(rounded);
    return Hex(static_cast<unsigned>(((n % 65536) + 65536) % 65536), 4);
}

int16_t DecodeTeData(std::string_view reply) {
    if (reply.size() < 5) throw ConversionError();
    unsigned value = 0;
    for (size_t i = 1; i <= 4; ++i) {
        const int d = HexDigit(reply[i]);
        if (d < 0) throw ConversionError();
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<int16_t>(value >= 0x8000 ? static_cast<int>(value) - 0x10000
                                                : static_cast<int>(value));
}

float DecodeTeTemperature(std::string_view reply) {
    float t = static_cast<float>(DecodeTeData(reply)) / 100.0f;
    if (t > 110.00f) t -= 655.36f;
    return t;
}

std::optional<float> ParseTeReadReply(std::string_view reply) {
    if (reply.size() != kTeReplyLength) return std::nullopt;
    try {
        return DecodeTeTemperature(reply);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

std::optional<TeParameter> FindTeParameter(int index) {
    for (const auto& p : kTeParameters)
        if (p.index == index) return p;
    return std::nullopt;
}

} // namespace dilato
