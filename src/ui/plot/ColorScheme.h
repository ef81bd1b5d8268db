#pragma once
// Colours of the plots. A colour is held as the instrument software always held it: a 24-bit
// value with red in the low byte (0xBBGGRR), so 0x804000 is a dark blue. The classic
// 16-colour palette gives the series and text colours by index.

#include <cstdint>

namespace dilato {

using PlotColor = std::uint32_t; // 0xBBGGRR

// Palette colour 0..15 (only the low 4 bits of the index count).
[[nodiscard]] PlotColor PaletteColor(int index);

// `ColorScheme`: the five colours of a plot's frame.
class ColorScheme {
  public:
    void SetColorScheme(PlotColor title, PlotColor axisPen, PlotColor axisLabel,
                        PlotColor axisTitle, PlotColor background);
    // The same five as palette indexes.
    void SetPaletteColorScheme(int title, int axisPen, int axisLabel, int axisTitle,
                               int background);
    // Every colour c becomes (NOT c) AND 0xFFFFFF.
    void ComplementColorScheme();

    PlotColor titleColor = 0;
    PlotColor axisPenColor = 0;
    PlotColor axisLabelColor = 0;
    PlotColor axisTitleColor = 0;
    PlotColor backgroundColor = 0;
};

inline constexpr int kColorSchemes = 5;
// The graph object's schemes 1..5: 1 yellow and magenta on black, 2 its complement, 3 black
// on light grey, 4 the screen's (black frame text; the plotting area black), 5 the negative
// image's (dark blue on white).
[[nodiscard]] ColorScheme BuiltInColorScheme(int scheme);

// The colour of palette index `index` for series and text under scheme `scheme`: -1 counts as
// 0; scheme 3 is always black; scheme 5 maps 8 and 9 to pink and light blue, 14 to green and
// 15 to black; the others map 2 to light green, 7 to white, 8 and 9 as scheme 5.
[[nodiscard]] PlotColor SchemePaletteColor(int scheme, int index);

} // namespace dilato
