// Colour gradients over a rectangle: bands from one edge, rings from the centre, or corner sweeps.
#include <algorithm>
#include <cstdlib>

#include "platform/raster/raster_canvas.h"
#include "platform/raster/raster_clip.h"
#include "platform/raster/raster_paint.h"
#include "platform/raster/raster_shapes.h"

namespace tallyhouse::platform {

namespace {

// a * b / c rounded half away from zero, for c > 0.
long long MulDiv64(long long a, long long b, long long c) {
    const long long p = a * b;
    const long long q = (std::llabs(p) * 2 + c) / (2 * c);
    return p < 0 ? -q : q;
}

// Step k of n from first towards second, each channel kept to its low 8 bits.
TColor Step(TColor first, TColor second, long long k, long long n) {
    if (n <= 0) return first;
    auto channel = [&](int shift) {
        const long long a = (first >> shift) & 0xFF, b = (second >> shift) & 0xFF;
        return static_cast<TColor>((a + MulDiv64(k, b - a, n)) & 0xFF) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

// Rings from the outside in, each the outline of the rectangle shrunk by (x, y) with x and y
// stepping together up to half the width and height; a pixel shows the last ring through it.
TColor FromCenterColour(const TRect& r, TColor first, TColor second, int px, int py) {
    const long long wl = (static_cast<long long>(r.Right) - r.Left) / 2, hl = (static_cast<long long>(r.Bottom) - r.Top) / 2;
    const long long dx = std::min<long long>(px - static_cast<long long>(r.Left), r.Right - 1LL - px);
    const long long dy = std::min<long long>(py - static_cast<long long>(r.Top), r.Bottom - 1LL - py);
    long long ring = std::max(wl, hl);
    if (dx < wl) ring = std::min(ring, dx);
    if (dy < hl) ring = std::min(ring, dy);
    return Step(first, second, std::min(ring, wl), wl);
}

// Step i is an L from the left edge along row i to column i, then up (or down) to the top (bottom)
// edge, ending one pixel short; x and y stop at the width and height. A pixel shows the last step.
TColor CornerColour(long long u, long long v, long long w, long long h, TColor first, TColor second) {
    const long long last = std::max(w, h);
    long long step = -1;
    if (v < h) {
        if (u < std::min(v, w)) step = v;
    } else if (u < w) {
        step = last;
    }
    if (u < w) {
        if (v > 0 && v <= std::min(u, h)) step = std::max(step, u);
    } else if (v > 0) {
        step = last;
    }
    return step < 0 ? clNone : Step(first, second, std::min(step, w), w);
}

TColor FromTopLeftColour(const TRect& r, TColor first, TColor second, int px, int py) {
    return CornerColour(px - static_cast<long long>(r.Left), py - static_cast<long long>(r.Top),
                        static_cast<long long>(r.Right) - r.Left, static_cast<long long>(r.Bottom) - r.Top, first, second);
}

TColor FromBottomLeftColour(const TRect& r, TColor first, TColor second, int px, int py) {
    return CornerColour(px - static_cast<long long>(r.Left), static_cast<long long>(r.Bottom) - py,
                        static_cast<long long>(r.Right) - r.Left, static_cast<long long>(r.Bottom) - r.Top, first, second);
}

}  // namespace

// Bands of rows (or columns) from the bottom (right) edge: at most 256 colours, step 0 at that edge.
void TRasterCanvas::PaintGradientBands(const TRect& rect, TColor first, TColor second, bool vertical) {
    const long long e = (vertical ? static_cast<long long>(rect.Bottom) - rect.Top : static_cast<long long>(rect.Right) - rect.Left) + 1;
    const long long n = std::min(e, 256LL);
    const long long edge = vertical ? rect.Bottom : rect.Right;
    const long long start = vertical ? rect.Top : rect.Left;
    // Band n - 1 would start one row before the rectangle; when there are more rows than colours
    // it still holds rows of the rectangle, which take the last colour instead of staying unfilled.
    for (long long k = 0; k + 1 <= n; ++k) {
        const long long from = std::max(start, edge - MulDiv64(k + 1, e, n)), to = edge - MulDiv64(k, e, n);
        const TConvexShape band = vertical ? TConvexShape::Box(rect.Left, from, rect.Right, to)
                                           : TConvexShape::Box(from, rect.Top, to, rect.Bottom);
        TSpanSet spans(Visible());
        AddShapeSpans(band, spans);
        PaintWith(spans, TPixelOp::Solid(Step(first, second, k, n - 1)));
    }
}

void TRasterCanvas::PaintGradientPixels(const TRect& area, TColor (*colour)(const TRect&, TColor, TColor, int, int),
                                        const TRect& rect, TColor first, TColor second) {
    if (target_ == nullptr) return;
    TSpanSet spans(Visible());
    AddShapeSpans(TConvexShape::Box(area.Left, area.Top, area.Right, area.Bottom), spans);
    spans.ForEach([&](int y, int x0, int x1) {
        clip_->Visit(y, x0, x1, [&](int a, int b) {
            for (int x = a; x < b; ++x) {
                const TColor c = colour(rect, first, second, x, y);
                if (c != clNone) target_->SetPixel(x, y, c);
            }
        });
    });
}

void TRasterCanvas::GradientFillRect(const TRect& rect, TColor startColor, TGradientDirection direction,
                                     TColor endColor) {
    const TRect r = Rect(std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::max(rect.Left, rect.Right),
                         std::max(rect.Top, rect.Bottom));
    const TColor first = ColorToRGB(startColor), second = ColorToRGB(endColor);
    // The corner sweeps reach one column and one row past the rectangle, as their lines do.
    const TRect sweep = Rect(r.Left, r.Top, r.Right == 0x7FFFFFFF ? r.Right : r.Right + 1,
                             r.Bottom == 0x7FFFFFFF ? r.Bottom : r.Bottom + 1);
    switch (direction) {
        case gdTopBottom:
        case gdBottomTop: PaintGradientBands(r, first, second, true); break;
        case gdLeftRight:
        case gdRightLeft: PaintGradientBands(r, first, second, false); break;
        case gdFromCenter: PaintGradientPixels(r, FromCenterColour, r, first, second); break;
        case gdFromTopLeft: PaintGradientPixels(sweep, FromTopLeftColour, r, first, second); break;
        case gdFromBottomLeft: PaintGradientPixels(sweep, FromBottomLeftColour, r, first, second); break;
    }
}

}  // namespace tallyhouse::platform
