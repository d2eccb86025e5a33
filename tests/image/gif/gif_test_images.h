// Bitmaps for the GIF tests and the round-trip check against giflib.
#pragma once

#include <cstdint>
#include <string>

#include "platform/raster/bitmap.h"
#include "tests/support/gif_decode.h"

namespace giftest {

// A distinct colour for every number below 2^24.
inline tallyhouse::platform::TColor NumberedColor(int i) { return tallyhouse::platform::RGB(i & 0xFF, (i >> 8) & 0xFF, 0x40 + ((i >> 16) & 0x3F)); }

// Pixel i (row by row) gets colour i % colors: every colour appears once the bitmap is big enough.
inline tallyhouse::platform::TBitmap CycledBitmap(int width, int height, int colors) {
    tallyhouse::platform::TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, NumberedColor((y * width + x) % colors));
    return bitmap;
}

// Colours picked by a fixed pseudo-random sequence from the first `colors` numbered colours.
inline tallyhouse::platform::TBitmap NoiseBitmap(int width, int height, int colors, std::uint32_t seed) {
    tallyhouse::platform::TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            bitmap.SetPixel(x, y, NumberedColor(static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(colors))));
        }
    return bitmap;
}

// Empty when every pixel of the frame decodes to the bitmap's colour, else the first difference.
inline std::string CompareFrame(const testsupport::DecodedFrame& frame, const tallyhouse::platform::TBitmap& bitmap) {
    if (frame.width != bitmap.Width() || frame.height != bitmap.Height())
        return "size " + std::to_string(frame.width) + "x" + std::to_string(frame.height);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t want = testsupport::RgbFromTColor(bitmap.GetPixel(x, y));
            if (frame.rgb[static_cast<std::size_t>(y * bitmap.Width() + x)] != want)
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

}  // namespace giftest
