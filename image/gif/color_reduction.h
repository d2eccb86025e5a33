// Brings a bitmap down to the 256 colours a GIF can hold, so that a chart with more colours
// (many shaded 3D faces, say) is still sent rather than refused.
#pragma once

#include "platform/raster/bitmap.h"

namespace tallyhouse::image {

inline constexpr int kGifMaxColors = 256;

// Keeps the most used colours; every other colour becomes its nearest kept one (by the distance
// in RGB). A bitmap with few enough colours is left as it is.
void ReduceColors(platform::TBitmap& bitmap, int maxColors = kGifMaxColors);

}  // namespace tallyhouse::image
