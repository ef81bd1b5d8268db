#include "report/PdfText.h"

#include "platform/Format.h"
#include "platform/TextCodec.h"

#include <cctype>

namespace dilato {

std::string PdfNumber(double value) {
    return FormatFixed(value, 2);
}

std::string ToWinAnsi(std::string_view utf8) {
    return Utf8ToCp1252(utf8);
}

std::string EscapePdfString(std::string_view winAnsi) {
    std::string out;
    out.reserve(winAnsi.size() + 8);
    for (const char c : winAnsi) {
        if (c == '\\' || c == '(' || c == ')') out += '\\';
        out += c;
    }
    return out;
}

std::string PdfLiteral(std::string_view utf8) {
    return EscapePdfString(ToWinAnsi(utf8));
}

std::optional<Rgb> ParseHtmlColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    Rgb colour{};
    for (size_t i = 0; i < 3; ++i) {
        int value = 0;
        for (size_t k = 0; k < 2; ++k) {
            const char c = text[1 + 2 * i + k];
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            const int digit = std::isdigit(static_cast<unsigned char>(c))
                                  ? c - '0'
                                  : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
            value = value * 16 + digit;
        }
        colour[i] = value;
    }
    return colour;
}

bool ValidRgb(const Rgb& colour) {
    for (const int c : colour)
        if (c < 0 || c > 255) return false;
    return true;
}

std::string ColourComponents(const Rgb& colour) {
    std::string out;
    for (size_t i = 0; i < 3; ++i) {
        if (i) out += ' ';
        out += FormatFixed(colour[i] / 255.0, 3);
    }
    return out;
}

} // namespace dilato
