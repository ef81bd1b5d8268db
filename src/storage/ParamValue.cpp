#include "storage/ParamValue.h"

#include "platform/Format.h"
#include "platform/LeadingNumber.h"

#include <charconv>
#include <cmath>

namespace dilato {

std::string NumberText(double value) {
    if (value == 0.0) return "0";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string text(buf, r.ptr);
    // to_chars "general" may choose an exponent for small or large values; keep it: the
    // leading-number rule reads it back.
    return text;
}

double ParamValue::number() const {
    if (isEmpty()) return 0.0;
    if (isNumber()) return std::get<double>(value_);
    const std::string& s = std::get<std::string>(value_);
    const auto first = s.find_first_not_of(" \t");
    const auto last = s.find_last_not_of(" \t");
    if (first == std::string::npos) throw std::runtime_error("Type mismatch");
    const char* begin = s.data() + first;
    const char* end = s.data() + last + 1;
    if (*begin == '+') ++begin;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range && ptr == end) {
        (void)FileNumber(std::string_view(begin, size_t(end - begin))); // too large: "Overflow"
        return 0.0;                                                      // too small to hold
    }
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        throw std::runtime_error("Type mismatch");
    return value;
}

std::string ParamValue::text() const {
    if (isEmpty()) return {};
    if (isNumber()) return NumberText(std::get<double>(value_));
    return std::get<std::string>(value_);
}

std::string FormatParam(const ParamValue& value, std::string_view pattern) {
    if (value.isText()) {
        try {
            return FormatNumber(value.number(), pattern);
        } catch (const std::runtime_error&) {
            return value.text();
        }
    }
    return FormatNumber(value.number(), pattern);
}

} // namespace dilato
