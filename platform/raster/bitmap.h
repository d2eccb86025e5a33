// A 24-bit RGB raster: rows top to bottom, three bytes per pixel (R, G, B), no row padding.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/os/fresh_memory.h"
#include "platform/raster/color.h"

namespace tallyhouse::platform {

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TColor fill = clBlack);

    int Width() const { return width_; }
    int Height() const { return height_; }
    void Resize(int width, int height, TColor fill = clBlack);
    void Fill(TColor color);

    // TColor values 0x00BBGGRR; outside the raster GetPixel gives clBlack and SetPixel does nothing.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    std::uint8_t* Row(int y) { return pixels_.data() + Offset(0, y); }
    const std::uint8_t* Row(int y) const { return pixels_.data() + Offset(0, y); }
    const std::uint8_t* Data() const { return pixels_.data(); }

private:
    std::size_t Offset(int x, int y) const {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t, TWrittenWholeAllocator<std::uint8_t>> pixels_;
};

}  // namespace tallyhouse::platform
