// Darker shades of a face colour, for the sides of boxes and pie slices.
#pragma once

#include "platform/raster/color.h"

namespace tallyhouse::chart {

// The colour resolved to RGB with each of R, G and B reduced by amount, stopping at 0.
constexpr platform::TColor Darker(platform::TColor color, int amount) {
    const platform::TColor rgb = platform::ColorToRGB(color);
    auto down = [amount](unsigned channel) {
        const int v = static_cast<int>(channel) - amount;
        return static_cast<unsigned>(v < 0 ? 0 : (v > 255 ? 255 : v));
    };
    return platform::RGB(down(platform::GetRValue(rgb)), down(platform::GetGValue(rgb)), down(platform::GetBValue(rgb)));
}

}  // namespace tallyhouse::chart
