// Drawing calls in chart pixels onto a raster N times as fine: coordinates, pens, dashes, hatches
// and fonts scaled on the way to the plain raster canvas.
#include "chart/canvas/scaled_canvas3d.h"

#include <algorithm>
#include <array>
#include <climits>
#include <utility>
#include <cstdlib>
#include <vector>

#include "platform/text/font_face.h"
#include "platform/raster/raster_line.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

int Saturate(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The resolution at which the font is exactly scale times as many pixels per em as at its own:
// scaling the resolution alone would round the em of the fine font on its own.
int FineResolution(const TFont& font, int scale) {
    const long long target = static_cast<long long>(scale) * FontPixels(font);
    const long long size = std::llabs(static_cast<long long>(font.Size));
    const int plain = Saturate(static_cast<long long>(font.PixelsPerInch) * scale);
    if (size == 0) return plain;
    TFont fine = font;
    fine.PixelsPerInch = Saturate((72 * target - 36 + size - 1) / size);
    return FontPixels(fine) == target ? fine.PixelsPerInch : plain;
}

// Nearest integer to num / den (den > 0), halves rounded up, as one-pixel lines step.
long long Nearest(long long num, long long den) {
    __extension__ using Int128 = __int128;
    const Int128 twice = 2 * static_cast<Int128>(num) + den, d = 2 * static_cast<Int128>(den);
    Int128 q = twice / d;
    if (twice % d != 0 && twice < 0) --q;
    return static_cast<long long>(q);
}

int DashPeriod(const TDashPattern& dash) {
    int period = 0;
    for (int i = 0; i < dash.Count; ++i) period += dash.Runs[i];
    return period;
}

// The steps left in the run that step lies in, and whether that run is drawn or a gap.
int DashRun(const TDashPattern& dash, long long step, bool& drawn) {
    long long pos = step % DashPeriod(dash);
    for (int i = 0; i < dash.Count; ++i) {
        if (pos < dash.Runs[i]) {
            drawn = i % 2 == 0;
            return static_cast<int>(dash.Runs[i] - pos);
        }
        pos -= dash.Runs[i];
    }
    drawn = true;
    return 1;
}

}  // namespace

TScaledCanvas3D::TScaledCanvas3D(int scale) : scale_(std::max(1, scale)) { SetHatchScale(scale_); }

int TScaledCanvas3D::Scaled(int v) const { return Saturate(static_cast<long long>(v) * scale_); }

TRect TScaledCanvas3D::Scaled(const TRect& r) const {
    return Rect(Scaled(r.Left), Scaled(r.Top), Scaled(r.Right), Scaled(r.Bottom));
}

// A pen of odd width centres on a pixel's centre, one of even width on a pixel's corner.
int TScaledCanvas3D::LineShift() const {
    const long long width = std::max(1, Pen.Width), fine = width * scale_;
    const long long coarse = width % 2 == 0 ? 2LL * scale_ : scale_;
    return static_cast<int>((coarse - (fine % 2 == 0 ? 2 : 1)) / 2);
}

int TScaledCanvas3D::RingInset() const {
    const long long width = std::max(1, Pen.Width);
    return static_cast<int>(width * scale_ / 2 - scale_ * (width / 2));
}

TPoint TScaledCanvas3D::OnFineRaster(TPoint p) const {
    const long long shift = LineShift();
    return Point(Saturate(Scaled(p.X) + shift), Saturate(Scaled(p.Y) + shift));
}

template <class Op>
void TScaledCanvas3D::WithFineSizes(Op&& op) {
    const int width = Pen.Width, ppi = Font.PixelsPerInch;
    Pen.Width = Saturate(static_cast<long long>(std::max(1, width)) * scale_);
    Font.PixelsPerInch = FineResolution(Font, scale_);
    op();
    Pen.Width = width;
    Font.PixelsPerInch = ppi;
}

void TScaledCanvas3D::SetPixel(int x, int y, TColor color) {
    for (int dy = 0; dy < scale_; ++dy)
        for (int dx = 0; dx < scale_; ++dx) TRasterCanvas3D::SetPixel(Scaled(x) + dx, Scaled(y) + dy, color);
}

void TScaledCanvas3D::LineTo(int x, int y) {
    const std::array<TPoint, 2> points{PenPos, Point(x, y)};
    Stroke(points, false);
    PenPos = Point(x, y);
}

void TScaledCanvas3D::Polyline(std::span<const TPoint> points) {
    Stroke(points, false);
    if (!points.empty()) PenPos = points.back();
}

void TScaledCanvas3D::Stroke(std::span<const TPoint> points, bool closed) {
    if (!Pen.Draws() || points.empty()) return;
    if (Pen.Width <= 1) {
        StrokeThin(points, closed);
        return;
    }
    std::vector<TPoint> fine;
    for (const TPoint& p : points) fine.push_back(OnFineRaster(p));
    if (closed) fine.push_back(fine.front());
    WithFineSizes([&] { TRasterCanvas3D::Polyline(fine); });
}

void TScaledCanvas3D::StrokeThin(std::span<const TPoint> points, bool closed) {
    const std::size_t segments = closed && points.size() > 1 ? points.size() : points.size() - 1;
    long long phase = 0;
    for (std::size_t i = 0; i < segments; ++i) StrokeThinSegment(points[i], points[(i + 1) % points.size()], phase);
}

// A solid segment is one fine line up to the last pixel before its end; a dashed one is a fine
// line per visible run, gaps in the background colour when the background is opaque.
void TScaledCanvas3D::StrokeThinSegment(TPoint a, TPoint b, long long& phase) {
    const long long dx = static_cast<long long>(b.X) - a.X, dy = static_cast<long long>(b.Y) - a.Y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long count = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (count == 0 || Target() == nullptr) return;
    const int dir = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const auto at = [&](long long i) {
        const long long major = (xMajor ? a.X : a.Y) + dir * i;
        const long long minor = (xMajor ? a.Y : a.X) + Nearest(i * (xMajor ? dy : dx), count);
        return xMajor ? Point(Saturate(major), Saturate(minor)) : Point(Saturate(minor), Saturate(major));
    };
    const TDashPattern* dash = DashPatternFor(Pen.Style);
    if (dash == nullptr) {
        StrokeRun(a, at(count - 1), Pen.Color);
        return;
    }
    // Only the steps within the raster (and a pixel around it) are walked.
    const long long extent = ((xMajor ? Target()->Width() : Target()->Height()) + scale_ - 1) / scale_;
    const long long start = xMajor ? a.X : a.Y;
    const long long first = std::max(0LL, dir > 0 ? -1 - start : start - extent - 1);
    const long long last = std::min(count, dir > 0 ? extent + 1 - start : start + 2);
    const TColor gap = GetBkMode() == OPAQUE ? GetBkColor() : clNone;
    for (long long i = first; i < last;) {
        bool drawn = true;
        const long long end = std::min(last, i + DashRun(*dash, phase + i, drawn));
        if (drawn || gap != clNone) StrokeRun(at(i), at(end - 1), drawn ? Pen.Color : gap);
        i = end;
    }
    phase = (phase + count) % DashPeriod(*dash);
}

void TScaledCanvas3D::StrokeRun(TPoint a, TPoint b, TColor color) {
    const TPen saved = Pen;
    Pen.Color = color;
    Pen.Style = psSolid;
    const std::array<TPoint, 2> fine{OnFineRaster(a), OnFineRaster(b)};
    WithFineSizes([&] { TRasterCanvas3D::Polyline(fine); });
    Pen = saved;
}

// Boxes and ellipses: their pen's ring moves inward by RingInset so that it covers the fine
// pixels of the chart pixels it covers; without a pen the brush fills the whole box.
TRect TScaledCanvas3D::FineBox(int left, int top, int right, int bottom) const {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const long long inset = Pen.Draws() ? RingInset() : 0;
    return Rect(Saturate(Scaled(left) + inset), Saturate(Scaled(top) + inset), Saturate(Scaled(right) - inset),
                Saturate(Scaled(bottom) - inset));
}

void TScaledCanvas3D::Rectangle(int left, int top, int right, int bottom) {
    const TRect box = FineBox(left, top, right, bottom);
    WithFineSizes([&] { TRasterCanvas3D::Rectangle(box.Left, box.Top, box.Right, box.Bottom); });
}

void TScaledCanvas3D::FillRect(const TRect& rect) { TRasterCanvas3D::FillRect(Scaled(rect)); }

void TScaledCanvas3D::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    const TRect box = FineBox(left, top, right, bottom);
    const long long shrink = Pen.Draws() ? 2LL * RingInset() : 0;
    const int width = Saturate(Scaled(cornerWidth) - shrink), height = Saturate(Scaled(cornerHeight) - shrink);
    WithFineSizes([&] { TRasterCanvas3D::RoundRect(box.Left, box.Top, box.Right, box.Bottom, width, height); });
}

void TScaledCanvas3D::Ellipse(int left, int top, int right, int bottom) {
    const TRect box = FineBox(left, top, right, bottom);
    WithFineSizes([&] { TRasterCanvas3D::Ellipse(box.Left, box.Top, box.Right, box.Bottom); });
}

void TScaledCanvas3D::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const TRect box = FineBox(x1, y1, x2, y2);
    WithFineSizes([&] {
        TRasterCanvas3D::Arc(box.Left, box.Top, box.Right, box.Bottom, Scaled(x3), Scaled(y3), Scaled(x4), Scaled(y4));
    });
}

void TScaledCanvas3D::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const TRect box = FineBox(x1, y1, x2, y2);
    WithFineSizes([&] {
        TRasterCanvas3D::Pie(box.Left, box.Top, box.Right, box.Bottom, Scaled(x3), Scaled(y3), Scaled(x4), Scaled(y4));
    });
}

// The brush fills the polygon through the scaled corners; the pen outlines it as a path.
void TScaledCanvas3D::Polygon(const TPoint* points, int lastIndex) {
    if (points == nullptr || lastIndex < 0) return;
    const std::span<const TPoint> all(points, static_cast<std::size_t>(lastIndex) + 1);
    std::vector<TPoint> fine;
    for (const TPoint& p : all) fine.push_back(Point(Scaled(p.X), Scaled(p.Y)));
    const TPenStyle style = Pen.Style;
    Pen.Style = psClear;
    TRasterCanvas3D::Polygon(fine.data(), lastIndex);
    Pen.Style = style;
    Stroke(all, true);
}

// Each ring of chart pixels is scale rings of fine pixels in the same two colours, drawn here
// because the plain canvas would draw its rings through the scaling Polyline again. Rings past
// the middle of the box draw nothing new.
void TScaledCanvas3D::BevelFrame(TRect& rect, TColor topColor, TColor bottomColor, int width) {
    const long long count = std::max(0, width);
    const bool thin = Pen.Width <= 1;
    const long long l = Scaled(rect.Left), t = Scaled(rect.Top);
    const long long r = Scaled(rect.Right) - (thin ? 1 : 0), b = Scaled(rect.Bottom) - (thin ? 1 : 0);
    const long long rings = std::min(count * scale_, std::max(r - l, b - t) / 2 + 1);
    const TColor saved = Pen.Color;
    for (long long k = 0; k < rings; ++k) {
        const int L = Saturate(l + k), T = Saturate(t + k), R = Saturate(r - k), B = Saturate(b - k);
        const std::array<TPoint, 3> upper{Point(L, B), Point(L, T), Point(R, T)};
        const std::array<TPoint, 3> lower{Point(R, T), Point(R, B), Point(L - 1, B)};
        Pen.Color = topColor;
        TRasterCanvas3D::Polyline(upper);
        Pen.Color = bottomColor;
        TRasterCanvas3D::Polyline(lower);
    }
    Pen.Color = saved;
    rect = Rect(Saturate(rect.Left + count), Saturate(rect.Top + count), Saturate(rect.Right - count),
                Saturate(rect.Bottom - count));
}

void TScaledCanvas3D::GradientFillRect(const TRect& rect, TColor startColor, TGradientDirection direction,
                                       TColor endColor) {
    TRasterCanvas3D::GradientFillRect(Scaled(rect), startColor, direction, endColor);
}

void TScaledCanvas3D::Draw(int x, int y, const TBitmap& source) {
    StretchDraw(Rect(x, y, Saturate(static_cast<long long>(x) + source.Width()),
                     Saturate(static_cast<long long>(y) + source.Height())),
                source);
}

void TScaledCanvas3D::StretchDraw(const TRect& rect, const TBitmap& source) {
    TRasterCanvas3D::StretchDraw(Scaled(rect), source);
}

void TScaledCanvas3D::SetClipRect(const TRect& rect) { TRasterCanvas3D::SetClipRect(Scaled(rect)); }

void TScaledCanvas3D::SetClipPolygon(std::span<const TPoint> points) {
    std::vector<TPoint> fine;
    for (const TPoint& p : points) fine.push_back(Point(Scaled(p.X), Scaled(p.Y)));
    TRasterCanvas3D::SetClipPolygon(fine);
}

void TScaledCanvas3D::TextOut(int x, int y, const std::string& text) {
    WithFineSizes([&] { TRasterCanvas3D::TextOut(Scaled(x), Scaled(y), text); });
}

void TScaledCanvas3D::RotatedText(int x, int y, const std::string& text, double angle) {
    WithFineSizes([&] { TRasterCanvas3D::RotatedText(Scaled(x), Scaled(y), text, angle); });
}

}  // namespace tallyhouse::chart
