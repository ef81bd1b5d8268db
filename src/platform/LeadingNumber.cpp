#include "platform/LeadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace dilato {

namespace {

// The leading number; `overflow` tells a number beyond the range of a double from a 0.
double ParseLeadingNumber(std::string_view text, bool& overflow) {
    overflow = false;
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
    // from_chars also reports a number too small to hold as out of range: that one is 0.
    if (ec == std::errc::result_out_of_range) {
        // Too large has a positive exponent or whole digits; too small has neither.
        const auto e = number.find('e');
        const auto whole = number.substr(0, std::min(number.find('.'), e));
        overflow = e != std::string::npos ? number[e + 1] != '-'
                                          : whole.find_first_not_of("+-0") != std::string::npos;
        return 0.0;
    }
    if (ec != std::errc()) return 0.0;
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

double LeadingNumber(std::string_view text) {
    bool overflow = false;
    return ParseLeadingNumber(text, overflow);
}

double FileNumber(std::string_view text) {
    bool overflow = false;
    const double value = ParseLeadingNumber(text, overflow);
    if (overflow) throw std::overflow_error("Overflow");
    return value;
}

} // namespace dilato
