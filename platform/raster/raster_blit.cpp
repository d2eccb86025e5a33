// Copying whole rasters onto the canvas, one to one or stretched, within the clip.
#include <algorithm>
#include <cstring>

#include "platform/raster/raster_canvas.h"
#include "platform/raster/raster_clip.h"

namespace tallyhouse::platform {

void TRasterCanvas::Draw(int x, int y, const TBitmap& source) {
    StretchDraw(Rect(x, y, static_cast<int>(std::min<long long>(static_cast<long long>(x) + source.Width(), 0x7FFFFFFF)),
                     static_cast<int>(std::min<long long>(static_cast<long long>(y) + source.Height(), 0x7FFFFFFF))),
                source);
}

// Nearest source pixel for each visible destination pixel.
void TRasterCanvas::StretchDraw(const TRect& rect, const TBitmap& source) {
    const long long w = static_cast<long long>(rect.Right) - rect.Left, h = static_cast<long long>(rect.Bottom) - rect.Top;
    if (target_ == nullptr || w <= 0 || h <= 0 || source.Width() == 0 || source.Height() == 0) return;
    const TRect v = Visible();
    const int top = static_cast<int>(std::max<long long>(rect.Top, v.Top));
    const int bottom = static_cast<int>(std::min<long long>(rect.Bottom, v.Bottom));
    const int left = static_cast<int>(std::max<long long>(rect.Left, v.Left));
    const int right = static_cast<int>(std::min<long long>(rect.Right, v.Right));
    for (int py = top; py < bottom; ++py) {
        const int sy = static_cast<int>((py - static_cast<long long>(rect.Top)) * source.Height() / h);
        const std::uint8_t* from = source.Row(sy);
        std::uint8_t* to = target_->Row(py);
        clip_->Visit(py, std::min(left, right), right, [&](int a, int b) {
            for (int px = a; px < b; ++px) {
                const long long sx = (px - static_cast<long long>(rect.Left)) * source.Width() / w;
                std::memcpy(to + static_cast<std::ptrdiff_t>(px) * 3, from + sx * 3, 3);
            }
        });
    }
}

}  // namespace tallyhouse::platform
