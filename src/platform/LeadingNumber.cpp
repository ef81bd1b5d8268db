#include "platform/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace dilato {

double LeadingNumber(std::string_view text) {
    // Collect the characters that can continue a number, skipping blanks anywhere.
    std::string number;
    bool seenDigit = false, seenPoint = false, inExponent = false, exponentDigit = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        const bool digit = c >= '0' && c <= '9';
        if (number.empty() && (c == '+' || c == '-')) {
            number += c;
        } else if (digit) {
            number += c;
            (inExponent ? exponentDigit : seenDigit) = true;
        } else if (c == '.' && !seenPoint && !inExponent) {
            number += c;
            seenPoint = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seenDigit && !inExponent) {
            number += 'e';
            inExponent = true;
        } else if ((c == '+' || c == '-') && inExponent && number.back() == 'e') {
            number += c;
        } else {
            break;
        }
    }
    if (!seenDigit) return 0.0;
    if (inExponent && !exponentDigit) number.erase(number.find('e'));
    // from_chars is locale-independent; strtod would follow the process locale.
    const char* first = number.c_str();
    if (*first == '+') ++first;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(first, number.c_str() + number.size(), value);
    if (ec != std::errc()) return 0.0;
    return std::isfinite(value) ? value : 0.0;
}

} // namespace dilato
