// Darker shades of a face colour, for the sides of boxes and pie slices.
#pragma once

#include "platform/raster/color.h"

// The colour resolved to RGB with each of R, G and B reduced by amount, stopping at 0.
constexpr TColor Darker(TColor color, int amount) {
    const TColor rgb = ColorToRGB(color);
    auto down = [amount](unsigned channel) {
        const int v = static_cast<int>(channel) - amount;
        return static_cast<unsigned>(v < 0 ? 0 : (v > 255 ? 255 : v));
    };
    return RGB(down(GetRValue(rgb)), down(GetGValue(rgb)), down(GetBValue(rgb)));
}
