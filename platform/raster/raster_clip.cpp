// Clip rectangles and clip polygons, reduced to the raster before any drawing uses them.
#include "platform/raster/raster_clip.h"

#include <algorithm>

#include "platform/raster/raster_polygon.h"

namespace tallyhouse::platform {

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

}  // namespace

void TClipRegion::SetRect(const TRect& rect) {
    Clear();
    has_rect_ = true;
    rect_ = rect;
}

void TClipRegion::SetPolygon(std::span<const TPoint> points, const TRect& raster) {
    Clear();
    TSpanSet spans(raster);
    AddPolygonSpans(points, spans);
    has_rect_ = true;
    has_polygon_ = true;
    rect_ = Rect(raster.Left, raster.Top, raster.Left, raster.Top);
    polygon_top_ = raster.Top;
    polygon_rows_.resize(static_cast<std::size_t>(raster.Height() > 0 ? raster.Height() : 0));
    bool any = false;
    spans.ForEach([&](int y, int x0, int x1) {
        polygon_rows_[static_cast<std::size_t>(y - raster.Top)].push_back(TSpan{x0, x1});
        if (!any) rect_ = Rect(x0, y, x1, y + 1);
        any = true;
        rect_ = Rect(std::min(rect_.Left, x0), std::min(rect_.Top, y), std::max(rect_.Right, x1), std::max(rect_.Bottom, y + 1));
    });
}

void TClipRegion::Clear() {
    has_rect_ = false;
    has_polygon_ = false;
    polygon_rows_.clear();
}

TRect TClipRegion::Bounds(const TRect& raster) const { return has_rect_ ? Intersect(rect_, raster) : raster; }

}  // namespace tallyhouse::platform
