#include "platform/LeadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace dilato {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Scan {
    std::optional<double> value; // the leading number; none without a digit or out of range
    bool overflow = false;       // a number beyond the range of a double (not one too small)
    bool trailing = false;       // non-blank characters follow it
};

Scan ScanNumber(std::string_view text) {
    // Collect the characters that can continue a number, skipping blanks anywhere.
    std::string number;
    bool seenDigit = false, seenPoint = false, inExponent = false, exponentDigit = false;
    size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (Blank(c)) continue;
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
    Scan scan;
    for (; i < text.size() && !scan.trailing; ++i)
        scan.trailing = !Blank(text[i]);
    if (!seenDigit) return scan;
    // An exponent without digits is not part of the number, nor is the number all there is.
    if (inExponent && !exponentDigit) {
        number.erase(number.find('e'));
        scan.trailing = true;
    }
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
        scan.overflow = e != std::string::npos
                            ? number[e + 1] != '-'
                            : whole.find_first_not_of("+-0") != std::string::npos;
        return scan;
    }
    if (ec != std::errc() || !std::isfinite(value)) return scan;
    scan.value = value;
    return scan;
}

} // namespace

double LeadingNumber(std::string_view text) {
    return ScanNumber(text).value.value_or(0.0);
}

double FileNumber(std::string_view text) {
    const Scan scan = ScanNumber(text);
    if (scan.overflow) throw std::overflow_error("Overflow");
    return scan.value.value_or(0.0);
}

std::optional<double> WholeNumber(std::string_view text) {
    const Scan scan = ScanNumber(text);
    if (scan.trailing) return std::nullopt;
    return scan.value;
}

} // namespace dilato
