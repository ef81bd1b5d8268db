#include "core/SampleLength.h"

#include "platform/Format.h"
#include "platform/LeadingNumber.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace dilato {

SampleLengthCheck CheckSampleLength(const std::string& boxText, bool unitsInches, Operator& op) {
    SampleLengthCheck check;
    float length = static_cast<float>(LeadingNumber(boxText));
    if (unitsInches) {
        check.boxText = FormatSingle(length, "0.000");
    } else {
        check.boxText = FormatSingle(length, "0.00");
        length = static_cast<float>(length / 25.4);
    }
    check.lengthInches = length;
    if (!std::isfinite(length)) {
        // "1e40" and the like: no length, and "Inf" must not reach the files.
        op.show(Message{"The sample length \"" + boxText + "\" is not a length.",
                        "Sample Length Input-Error", MessageIcon::None, MessageButtons::Ok});
        check.boxText = boxText;
        check.lengthInches = 0.0f;
        return check;
    }
    if (length == 0.0f) {
        op.show(Message{"You cannot start the test without specifying the sample length!",
                        "Sample Length Input-Error", MessageIcon::None, MessageButtons::Ok});
        return check;
    }
    // The ends of the metric range (38.1 and 63.5 mm) convert to a hair outside the inch range.
    constexpr float kTolerance = 1e-5f;
    if (length >= 1.5f - kTolerance && length <= 2.5f + kTolerance) {
        check.accepted = true;
        return check;
    }
    const std::string range = unitsInches ? "1.5-2.5 inches" : "38-64 millimeters";
    const MessageAnswer answer =
        op.show(Message{"Your entered sample length is outside the recommended range of " + range +
                            ".  Do you want to continue?",
                        "Sample Length Out-of-Range", MessageIcon::None, MessageButtons::YesNo});
    check.accepted = answer == MessageAnswer::Yes;
    return check;
}

bool IsNumericText(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    const char* digits = (begin < end && *begin == '-') ? begin + 1 : begin;
    if (digits == end || !(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.'))
        return false; // no "inf" or "nan"
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end;
}

NumericInputResult ApplyNumericInputRule(const std::string& text, size_t caret) {
    NumericInputResult result{text, std::min(caret, text.size()), false};
    if (text.empty() || text == "." || text == "-" || IsNumericText(text)) return result;
    if (result.caret > 0) {
        result.text.erase(result.caret - 1, 1);
        --result.caret;
    }
    result.beep = true;
    return result;
}

} // namespace dilato
