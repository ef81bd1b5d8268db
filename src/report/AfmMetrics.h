#pragma once
// Character widths of a standard font, read from its Adobe font metrics (.afm) file.
// The PDF writes its text in WinAnsiEncoding, while the metric files of the text fonts list
// their characters in the font's standard encoding (where "°" and "µ" have no code at all).
// So a width is looked up by the glyph that WinAnsiEncoding puts at the byte; only a
// symbolic font (EncodingScheme FontSpecific) is measured by its own codes.

#include <array>
#include <string>
#include <string_view>

namespace dilato {

class AfmMetrics {
  public:
    // Parses the character lines between "StartCharMetrics" and "EndCharMetrics": fields
    // separated by ";" and blanks, "C code", "WX width" and "N name". Lines it cannot read are
    // skipped, so a damaged file measures the characters it still describes.
    [[nodiscard]] static AfmMetrics Parse(std::string_view afmText);

    // Width of one WinAnsi byte in 1/1000 of the font size; 0 for a character the file
    // does not describe.
    [[nodiscard]] int width(unsigned char winAnsiByte) const { return widths_[winAnsiByte]; }
    // Sum of the widths of WinAnsi bytes, in 1/1000 of the font size.
    [[nodiscard]] long textWidth(std::string_view winAnsi) const;
    [[nodiscard]] bool symbolic() const { return symbolic_; }

  private:
    std::array<int, 256> widths_{};
    bool symbolic_ = false;
};

// The glyph name WinAnsiEncoding gives a byte; empty for the unassigned bytes.
[[nodiscard]] std::string_view WinAnsiGlyphName(unsigned char byte);

} // namespace dilato
