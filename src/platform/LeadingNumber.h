#pragma once
// The leading-number rule: operator input and file values turn into numbers by their longest
// leading decimal number, "." as separator, blanks ignored; 0 when there is none.
// "4.6" -> 4.6, " 1 2.5kg" -> 12.5, "COM4" -> 0, "-0.125 : Offset" -> -0.125, "1E3" -> 1000.

#include <optional>
#include <string_view>

namespace dilato {

[[nodiscard]] double LeadingNumber(std::string_view text);

// The same rule for a value read from a file, where a number beyond the range of a double
// ("1e999") is a damaged value: it throws std::overflow_error("Overflow") instead of reading
// as 0.
[[nodiscard]] double FileNumber(std::string_view text);

// The number a text holds when, blanks ignored, it is one decimal number and nothing else
// ("  0012.345", "+0002.5400"); nullopt for a text without one, with anything beside it
// ("12.3mm", "#?!zq", "") or beyond the range of a double.
[[nodiscard]] std::optional<double> WholeNumber(std::string_view text);

} // namespace dilato
