#include "platform/raster/bitmap.h"

#include <algorithm>

namespace tallyhouse::platform {

TBitmap::TBitmap(int width, int height, TColor fill) { Resize(width, height, fill); }

void TBitmap::Resize(int width, int height, TColor fill) {
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    const std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3;
    const std::uint8_t r = GetRValue(fill);
    // A grey (white, black) fills byte by byte; any other colour goes pixel by pixel.
    pixels_.assign(bytes, r);
    if (r != GetGValue(fill) || r != GetBValue(fill)) Fill(fill);
}

void TBitmap::Fill(TColor color) {
    const std::uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    if (r == g && g == b) {
        std::fill(pixels_.begin(), pixels_.end(), r);
        return;
    }
    for (std::size_t i = 0; i + 2 < pixels_.size(); i += 3) {
        pixels_[i] = r;
        pixels_[i + 1] = g;
        pixels_[i + 2] = b;
    }
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (!Contains(x, y)) return clBlack;
    const std::uint8_t* p = pixels_.data() + Offset(x, y);
    return RGB(p[0], p[1], p[2]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (!Contains(x, y)) return;
    std::uint8_t* p = pixels_.data() + Offset(x, y);
    p[0] = GetRValue(color);
    p[1] = GetGValue(color);
    p[2] = GetBValue(color);
}

}  // namespace tallyhouse::platform
