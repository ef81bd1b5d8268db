#pragma once
// Number, date and time texts in the forms the instrument's files and screens use.
// Numbers always use "." and round half away from zero, the way the files have always
// been written; a double is read at 15 significant digits and a single at 7, so a stored
// 2.675 formats as 2.68 rather than as the binary value's 2.67.

#include <QDate>
#include <QTime>
#include <string>

namespace dilato {

// Patterns in use: "0", "0.0", "0.00", "0.000", "0.00000000000" (digits after the point are
// fixed, at least one integer digit) and "#" (a whole number; zero gives an empty text).
// Any other pattern is a programming error and throws std::invalid_argument.
[[nodiscard]] std::string FormatNumber(double value, std::string_view pattern);
[[nodiscard]] std::string FormatSingle(float value, std::string_view pattern);

// The rounding core: `decimals` places, half away from zero, after reducing the value to
// `significantDigits` decimal digits. "-0.0" never appears: a result of zero has no sign.
[[nodiscard]] std::string FormatFixed(double value, int decimals, int significantDigits = 15);

// Month-day-year joined by "-" with two, two and four digits ("03-07-2026").
[[nodiscard]] std::string FormatDateMDY(const QDate& date);
// Hours:minutes:seconds on a 24-hour clock ("14:05:09").
[[nodiscard]] std::string FormatTime24(const QTime& time);
// Reads the month-day-year form back ("3-7-2026" is accepted too); an invalid QDate otherwise.
[[nodiscard]] QDate ParseDateMDY(std::string_view text);

} // namespace dilato
