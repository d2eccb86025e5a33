// The clip region of a canvas: a rectangle, or the even-odd interior of a polygon, within the raster.
#pragma once

#include <span>
#include <vector>

#include "platform/raster/geometry.h"
#include "platform/raster/raster_spans.h"

namespace tallyhouse::platform {

class TClipRegion {
public:
    void SetRect(const TRect& rect);
    // raster is the raster's own rectangle; the polygon's rows are kept only inside it.
    void SetPolygon(std::span<const TPoint> points, const TRect& raster);
    void Clear();

    // The part of the raster that drawing may reach (empty when nothing can be drawn).
    TRect Bounds(const TRect& raster) const;

    // Calls f(a, b) for the parts of columns x0..x1-1 of row y inside the region; the span is
    // already within Bounds().
    template <class F>
    void Visit(int y, int x0, int x1, F&& f) const {
        if (!has_polygon_) {
            f(x0, x1);
            return;
        }
        const long long index = static_cast<long long>(y) - polygon_top_;
        if (index < 0 || index >= static_cast<long long>(polygon_rows_.size())) return;
        for (const TSpan& s : polygon_rows_[static_cast<std::size_t>(index)]) {
            const int a = s.X0 > x0 ? s.X0 : x0;
            const int b = s.X1 < x1 ? s.X1 : x1;
            if (a < b) f(a, b);
        }
    }

private:
    bool has_rect_ = false;
    TRect rect_;
    bool has_polygon_ = false;
    int polygon_top_ = 0;
    std::vector<std::vector<TSpan>> polygon_rows_;
};

}  // namespace tallyhouse::platform
