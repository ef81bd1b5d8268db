#pragma once
// The operator's entries on the Test tab before a start: the sample length check with its
// unit conversion and recommended range, and the filter that keeps numeric boxes numeric.

#include "platform/Operator.h"

#include <string>

namespace dilato {

struct SampleLengthCheck {
    bool accepted = false;
    float lengthInches = 0.0f; // `SampleLength`
    std::string boxText;       // the sample length box as it reads afterwards
};

// Reads the box (leading-number rule), rewrites it as "0.000" (inches) or "0.00" (mm), converts
// millimetres to inches, refuses a zero length and asks before a length outside 1.5-2.5 in.
[[nodiscard]] SampleLengthCheck CheckSampleLength(const std::string& boxText, bool unitsInches,
                                                  Operator& op);

// True when the text is a number as a numeric box accepts it (blanks around it allowed).
[[nodiscard]] bool IsNumericText(const std::string& text);

struct NumericInputResult {
    std::string text;
    size_t caret = 0;
    bool beep = false;
};
// Applied at every change of a numeric box: a non-empty text that is not numeric and is not a
// lone "." or "-" loses the character just before the caret, the caret moves back, and a beep
// sounds.
[[nodiscard]] NumericInputResult ApplyNumericInputRule(const std::string& text, size_t caret);

} // namespace dilato
