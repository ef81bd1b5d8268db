#include "ui/plot/ColorScheme.h"

#include <array>
#include <cstddef>

namespace dilato {

namespace {

constexpr std::array<PlotColor, 16> kPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

constexpr PlotColor kPink = 0xB48CF6;
constexpr PlotColor kLightBlue = 0xFFC0C0;

} // namespace

PlotColor PaletteColor(int index) {
    return kPalette[static_cast<std::size_t>(index & 0xF)];
}

void ColorScheme::SetColorScheme(PlotColor title, PlotColor axisPen, PlotColor axisLabel,
                                 PlotColor axisTitle, PlotColor background) {
    titleColor = title & 0xFFFFFF;
    axisPenColor = axisPen & 0xFFFFFF;
    axisLabelColor = axisLabel & 0xFFFFFF;
    axisTitleColor = axisTitle & 0xFFFFFF;
    backgroundColor = background & 0xFFFFFF;
}

void ColorScheme::SetPaletteColorScheme(int title, int axisPen, int axisLabel, int axisTitle,
                                        int background) {
    SetColorScheme(PaletteColor(title), PaletteColor(axisPen), PaletteColor(axisLabel),
                   PaletteColor(axisTitle), PaletteColor(background));
}

void ColorScheme::ComplementColorScheme() {
    for (PlotColor* c :
         {&titleColor, &axisPenColor, &axisLabelColor, &axisTitleColor, &backgroundColor})
        *c = ~*c & 0xFFFFFF;
}

ColorScheme BuiltInColorScheme(int scheme) {
    ColorScheme s;
    switch (scheme) {
    case 2:
        s.SetPaletteColorScheme(14, 13, 14, 14, 0);
        s.ComplementColorScheme();
        break;
    case 3:
        s.SetPaletteColorScheme(0, 0, 0, 0, 7);
        break;
    case 4: s.SetColorScheme(0x000000, 0x000000, 0x000000, 0x000000, 0x000000); break;
    case 5: s.SetColorScheme(0x804000, 0x804000, 0x804000, 0x804000, 0xFFFFFF); break;
    default:
        s.SetPaletteColorScheme(14, 13, 14, 14, 0);
        break;
    }
    return s;
}

PlotColor SchemePaletteColor(int scheme, int index) {
    if (index == -1) index = 0;
    if (scheme == 3) return PaletteColor(0);
    if (scheme == 5) {
        switch (index) {
        case 8: return kPink;
        case 9: return kLightBlue;
        case 14:
            return PaletteColor(2);
        case 15:
            return PaletteColor(0);
        default:
            return PaletteColor(index);
        }
    }
    switch (index) {
    case 2:
        return PaletteColor(10);
    case 7:
        return PaletteColor(15);
    case 8: return kPink;
    case 9: return kLightBlue;
    default:
        return PaletteColor(index);
    }
}

} // namespace dilato
