// Helpers for pixel probes on small rasters in the canvas tests.
#pragma once

#include <functional>

#include "platform/raster/bitmap.h"
#include "platform/raster/geometry.h"

inline int CountPixels(const tallyhouse::platform::TBitmap& b, tallyhouse::platform::TColor c) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == c ? 1 : 0;
    return n;
}

// The smallest rectangle (right and bottom exclusive) holding every pixel that is not `background`.
inline tallyhouse::platform::TRect InkBox(const tallyhouse::platform::TBitmap& b, tallyhouse::platform::TColor background) {
    tallyhouse::platform::TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.GetPixel(x, y) != background) {
                r.Left = x < r.Left ? x : r.Left;
                r.Top = y < r.Top ? y : r.Top;
                r.Right = x + 1 > r.Right ? x + 1 : r.Right;
                r.Bottom = y + 1 > r.Bottom ? y + 1 : r.Bottom;
            }
    return r;
}

inline bool SamePixelsOutside(const tallyhouse::platform::TBitmap& a, const tallyhouse::platform::TBitmap& b, const tallyhouse::platform::TRect& inside) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const bool in = x >= inside.Left && x < inside.Right && y >= inside.Top && y < inside.Bottom;
            if (!in && a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
        }
    return true;
}

inline bool SamePixels(const tallyhouse::platform::TBitmap& a, const tallyhouse::platform::TBitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && SamePixelsOutside(a, b, tallyhouse::platform::TRect{});
}
