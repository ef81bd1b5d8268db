#pragma once
// The small texts the PDF writer puts into a file: numbers in fixed-point form, literal
// strings in WinAnsiEncoding with their special characters escaped, and colours.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace dilato {

// A number as the content streams write it: at least one integer digit, "." and two
// decimals ("80.00", "-3.50"); "0.000"-style colour components use ColourComponent.
[[nodiscard]] std::string PdfNumber(double value);

// A UTF-8 text as the single bytes of WinAnsiEncoding ("°" is B0, "µ" is B5); a character
// the encoding cannot hold becomes "?".
[[nodiscard]] std::string ToWinAnsi(std::string_view utf8);
// WinAnsi bytes made safe inside "(" ... ")": "\" becomes "\\", "(" "\(" and ")" "\)".
[[nodiscard]] std::string EscapePdfString(std::string_view winAnsi);
// Both steps: the literal string body of a UTF-8 text.
[[nodiscard]] std::string PdfLiteral(std::string_view utf8);

// A colour as red, green and blue, 0 to 255 each.
using Rgb = std::array<int, 3>;
// "#" followed by six hexadecimal digits; nullopt for anything else.
[[nodiscard]] std::optional<Rgb> ParseHtmlColour(std::string_view text);
// Whether every component lies in 0..255.
[[nodiscard]] bool ValidRgb(const Rgb& colour);
// The three components as value/255 with three decimals, blank-separated ("1.000 0.500 0.000").
[[nodiscard]] std::string ColourComponents(const Rgb& colour);

} // namespace dilato
