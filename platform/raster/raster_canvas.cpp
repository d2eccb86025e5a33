// The canvas's shape operations: each builds the visible spans of its pixels, then paints them once.
#include "platform/raster/raster_canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/raster/raster_clip.h"
#include "platform/raster/raster_line.h"
#include "platform/raster/raster_paint.h"
#include "platform/raster/raster_polygon.h"
#include "platform/raster/raster_shapes.h"

namespace tallyhouse::platform {

namespace {

long long PenWidth(const TPen& pen) { return pen.Width > 1 ? pen.Width : 1; }

TConvexShape Normalised(long long l, long long t, long long r, long long b, long long cw, long long ch) {
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    return TConvexShape::Rounded(l, t, r, b, cw, ch);
}

}  // namespace

TRasterCanvas::TRasterCanvas() : clip_(std::make_unique<TClipRegion>()) {}

TRasterCanvas::TRasterCanvas(TBitmap* target) : TRasterCanvas() { target_ = target; }

TRasterCanvas::~TRasterCanvas() = default;

void TRasterCanvas::SetTarget(TBitmap* target) {
    target_ = target;
    clip_->Clear();
}

void TRasterCanvas::ResetDefaults() {
    Pen = TPen();
    Brush = TBrush();
    Font = TFont();
    bk_color_ = clWhite;
    bk_mode_ = OPAQUE;
    text_align_ = TA_LEFT | TA_TOP;
    clip_->Clear();
}

TRect TRasterCanvas::Visible() const {
    if (target_ == nullptr) return TRect();
    return clip_->Bounds(Rect(0, 0, target_->Width(), target_->Height()));
}

TPixelOp TRasterCanvas::BrushOp() const { return TPixelOp::ForBrush(Brush, bk_color_, bk_mode_, hatch_scale_); }

void TRasterCanvas::PaintWith(TSpanSet& spans, const TPixelOp& op) {
    if (target_ != nullptr) PaintSpans(*target_, *clip_, spans, op);
}

void TRasterCanvas::SetPixel(int x, int y, TColor color) {
    TSpanSet spans(Visible());
    spans.AddPixel(x, y);
    PaintWith(spans, TPixelOp::Solid(color));
}

void TRasterCanvas::MoveTo(int x, int y) { PenPos = Point(x, y); }

void TRasterCanvas::LineTo(int x, int y) {
    const std::array<TPoint, 2> points{PenPos, Point(x, y)};
    StrokePath(points, false);
    PenPos = Point(x, y);
}

void TRasterCanvas::Line(int x0, int y0, int x1, int y1) {
    MoveTo(x0, y0);
    LineTo(x1, y1);
}

void TRasterCanvas::Polyline(std::span<const TPoint> points) {
    StrokePath(points, false);
    if (!points.empty()) PenPos = points.back();
}

void TRasterCanvas::AddPenPath(std::span<const TPoint> points, bool closed, TSpanSet& drawn, TSpanSet& gaps) const {
    const std::size_t segments = closed && points.size() > 1 ? points.size() : points.size() - (points.empty() ? 0 : 1);
    const long long width = PenWidth(Pen);
    // Wide styled pens draw solid, as wide pens do on Windows.
    const TDashPattern* dash = width == 1 ? DashPatternFor(Pen.Style) : nullptr;
    // The dash pattern runs on from one segment into the next, so corners keep its rhythm.
    long long phase = 0;
    for (std::size_t i = 0; i < segments; ++i) {
        const TPoint& a = points[i];
        const TPoint& b = points[(i + 1) % points.size()];
        if (width == 1) {
            phase = AddThinLine(a.X, a.Y, b.X, b.Y, dash, phase, drawn, &gaps);
        } else {
            AddWideLine(a.X, a.Y, b.X, b.Y, width, drawn);
        }
    }
}

void TRasterCanvas::PaintPenSpans(TSpanSet& drawn, TSpanSet& gaps) {
    if (bk_mode_ == OPAQUE) PaintWith(gaps, TPixelOp::Solid(bk_color_));
    PaintWith(drawn, TPixelOp::ForPen(Pen));
}

void TRasterCanvas::StrokePath(std::span<const TPoint> points, bool closed) {
    if (!Pen.Draws() || points.empty()) return;
    TSpanSet drawn(Visible()), gaps(Visible());
    AddPenPath(points, closed, drawn, gaps);
    PaintPenSpans(drawn, gaps);
}

// The pen's ring is centred on the shape's edge pixels; the brush fills what lies inside the ring.
void TRasterCanvas::FillAndOutline(const TConvexShape& shape) {
    const bool pen = Pen.Draws();
    const long long width = PenWidth(Pen), half = width / 2;
    const TConvexShape inner = pen ? shape.Inset(width - half) : shape;
    TSpanSet fill(Visible());
    AddShapeSpans(inner, fill);
    PaintWith(fill, BrushOp());
    if (!pen) return;
    TSpanSet drawn(Visible()), gaps(Visible());
    if (width == 1 && Pen.Style != psSolid && shape.CornerW == 0) {
        const int l = static_cast<int>(shape.L), t = static_cast<int>(shape.T);
        const int r = static_cast<int>(shape.R - 1), b = static_cast<int>(shape.B - 1);
        const std::array<TPoint, 4> corners{Point(l, t), Point(r, t), Point(r, b), Point(l, b)};
        AddPenPath(corners, true, drawn, gaps);
    } else {
        AddRingSpans(shape.Inset(-half), inner, drawn);
    }
    PaintPenSpans(drawn, gaps);
}

void TRasterCanvas::Rectangle(int left, int top, int right, int bottom) {
    FillAndOutline(Normalised(left, top, right, bottom, 0, 0));
}

void TRasterCanvas::FillRect(const TRect& rect) {
    TSpanSet fill(Visible());
    AddShapeSpans(TConvexShape::Box(rect.Left, rect.Top, rect.Right, rect.Bottom), fill);
    PaintWith(fill, BrushOp());
}

void TRasterCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    FillAndOutline(Normalised(left, top, right, bottom, std::max(0, cornerWidth), std::max(0, cornerHeight)));
}

void TRasterCanvas::Ellipse(int left, int top, int right, int bottom) {
    const long long w = std::llabs(static_cast<long long>(right) - left), h = std::llabs(static_cast<long long>(bottom) - top);
    FillAndOutline(Normalised(left, top, right, bottom, w, h));
}

void TRasterCanvas::FillSector(const TConvexShape& shape, const TSector& sector) {
    const TPixelOp brush = BrushOp();
    if (!brush.Draws()) return;
    const bool pen = Pen.Draws();
    const long long width = PenWidth(Pen);
    TSpanSet whole(Visible()), fill(Visible());
    AddShapeSpans(pen ? shape.Inset(width - width / 2) : shape, whole);
    AddSectorSpans(sector, whole, fill);
    PaintWith(fill, brush);
}

// The arc is the part of the outline ring inside the sector; a pie adds the two radii.
void TRasterCanvas::OutlineSector(const TConvexShape& shape, const TSector& sector, bool radii, TSpanSet& drawn) {
    const long long width = PenWidth(Pen), half = width / 2;
    TSpanSet ring(Visible());
    AddRingSpans(shape.Inset(-half), shape.Inset(width - half), ring);
    AddSectorSpans(sector, ring, drawn);
    if (!radii) return;
    const long double cx = static_cast<long double>(shape.L + shape.R) / 2, cy = static_cast<long double>(shape.T + shape.B) / 2;
    const long double a = static_cast<long double>(shape.R - shape.L) / 2, b = static_cast<long double>(shape.B - shape.T) / 2;
    if (a <= 0 || b <= 0) return;
    TSpanSet gaps(Visible());
    for (const TPoint& ray : sector.Rays()) {
        const long double sx = ray.X - cx, sy = ray.Y - cy, len = std::hypot(sx, sy);
        if (len == 0) continue;
        const long double t = 1 / std::sqrt((sx / a) * (sx / a) + (sy / b) * (sy / b)) - 0.5L / len;
        const std::array<TPoint, 2> radius{
            Point(static_cast<int>(std::floor(cx)), static_cast<int>(std::floor(cy))),
            Point(static_cast<int>(std::floor(cx + sx * t)), static_cast<int>(std::floor(cy + sy * t)))};
        AddPenPath(radius, false, drawn, gaps);
        drawn.AddPixel(radius[1].X, radius[1].Y);
    }
}

void TRasterCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!Pen.Draws()) return;
    const TConvexShape shape = Normalised(x1, y1, x2, y2, std::llabs(static_cast<long long>(x2) - x1),
                                          std::llabs(static_cast<long long>(y2) - y1));
    const TSector sector(shape, x3, y3, x4, y4);
    TSpanSet drawn(Visible()), gaps(Visible());
    OutlineSector(shape, sector, false, drawn);
    PaintPenSpans(drawn, gaps);
}

void TRasterCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const TConvexShape shape = Normalised(x1, y1, x2, y2, std::llabs(static_cast<long long>(x2) - x1),
                                          std::llabs(static_cast<long long>(y2) - y1));
    const TSector sector(shape, x3, y3, x4, y4);
    FillSector(shape, sector);
    if (!Pen.Draws()) return;
    TSpanSet drawn(Visible()), gaps(Visible());
    OutlineSector(shape, sector, true, drawn);
    PaintPenSpans(drawn, gaps);
}

void TRasterCanvas::Polygon(const TPoint* points, int lastIndex) {
    if (points == nullptr || lastIndex < 0) return;
    const std::span<const TPoint> all(points, static_cast<std::size_t>(lastIndex) + 1);
    TSpanSet fill(Visible());
    AddPolygonSpans(all, fill);
    PaintWith(fill, BrushOp());
    StrokePath(all, true);
}

void TRasterCanvas::SetClipRect(const TRect& rect) { clip_->SetRect(rect); }

void TRasterCanvas::SetClipPolygon(std::span<const TPoint> points) {
    const TRect raster = target_ != nullptr ? Rect(0, 0, target_->Width(), target_->Height()) : TRect();
    clip_->SetPolygon(points, raster);
}

void TRasterCanvas::ClearClip() { clip_->Clear(); }

}  // namespace tallyhouse::platform
