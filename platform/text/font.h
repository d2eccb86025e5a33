// A font as the chart asks for it: face name, size in points, colour, style, resolution.
#pragma once

#include <string>

#include "platform/raster/color.h"

namespace tallyhouse::platform {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // a set of TFontStyle bits

struct TFont {
    std::string Name = "Arial";
    int Size = 10;  // points; pixels = Size * PixelsPerInch / 72
    TColor Color = clBlack;
    TFontStyles Style = 0;
    int PixelsPerInch = 96;
    bool Has(TFontStyle s) const { return (Style & s) != 0; }
    friend bool operator==(const TFont&, const TFont&) = default;
};

// Measures of a font at its size, in pixels: Height = Ascent + Descent.
struct TFontMetrics {
    int Ascent = 0;
    int Descent = 0;
    int Height = 0;
};

}  // namespace tallyhouse::platform
