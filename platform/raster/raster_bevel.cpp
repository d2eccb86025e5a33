// Bevelled frames: rings of top-left and bottom-right colours, each one pixel inside the last.
#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

#include "platform/raster/raster_canvas.h"

namespace tallyhouse::platform {

namespace {

int Saturate(long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The ring numbers k whose edges (left + k, right - k, top + k, bottom - k) cross the visible area;
// every pixel of a ring lies on one of those four lines, so huge widths cost no more than the visible ones.
std::vector<std::pair<long long, long long>> VisibleRings(long long l, long long t, long long r, long long b,
                                                          long long count, const TRect& v) {
    std::vector<std::pair<long long, long long>> ranges{
        {v.Left - l, v.Right - l}, {r - v.Right + 1, r - v.Left + 1},
        {v.Top - t, v.Bottom - t}, {b - v.Bottom + 1, b - v.Top + 1}};
    for (auto& [from, to] : ranges) {
        from = std::max(from, 0LL);
        to = std::min(to, count);
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

}  // namespace

void TRasterCanvas::BevelFrame(TRect& rect, TColor topColor, TColor bottomColor, int width) {
    const bool thin = Pen.Width == 1;
    const long long l = rect.Left, t = rect.Top, r = rect.Right - (thin ? 1 : 0), b = rect.Bottom - (thin ? 1 : 0);
    const long long count = std::max(0, width);
    const TColor saved = Pen.Color;
    const TRect visible = Visible();
    long long done = 0;
    for (const auto& [from, to] : VisibleRings(l, t, r, b, count, visible)) {
        for (long long k = std::max(from, done); k < to; ++k) {
            const int L = Saturate(l + k), T = Saturate(t + k), R = Saturate(r - k), B = Saturate(b - k);
            const std::array<TPoint, 3> upper{Point(L, B), Point(L, T), Point(R, T)};
            const std::array<TPoint, 3> lower{Point(R, T), Point(R, B), Point(L - 1, B)};
            Pen.Color = topColor;
            Polyline(upper);
            Pen.Color = bottomColor;
            Polyline(lower);
        }
        done = std::max(done, to);
    }
    Pen.Color = saved;
    rect = Rect(Saturate(l + count), Saturate(t + count), Saturate(r - count + (thin ? 1 : 0)),
                Saturate(b - count + (thin ? 1 : 0)));
}

}  // namespace tallyhouse::platform
