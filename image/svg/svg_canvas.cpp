// SVG elements for the canvas's drawing calls. A one-pixel pen's centre line runs through pixel
// centres (x + 0.5), a wider pen's as the raster centres it, and fills cover what the raster's
// pixel centres inside them cover.
#include "image/svg/svg_canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "image/svg/svg_text.h"
#include "platform/text/font_face.h"
#include "platform/raster/raster_line.h"

namespace tallyhouse::image {

using namespace tallyhouse::platform;

namespace {

constexpr char kFontFamily[] = "Arial";
constexpr double kTieShift = 0.001;
// The chart's face first, then faces with its metrics, then whatever sans-serif face there is.
constexpr char kFontFallbacks[] = "Arial,'Liberation Sans',Arimo,Helvetica,sans-serif";

void AppendColor(std::string& out, TColor color) {
    const TColor rgb = ColorToRGB(color);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    out += text;
}

void AppendAttribute(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendSvgNumber(out, value);
    out += '"';
}

void AppendPoint(std::string& out, double x, double y) {
    AppendSvgNumber(out, x);
    out += ',';
    AppendSvgNumber(out, y);
}

bool IsHatched(TBrushStyle style) { return style != TBrushStyle::bsSolid && style != TBrushStyle::bsClear; }

// The hatch lines of one 8 x 8 cell as a path of unit squares, as the raster sets their pixels.
std::string HatchPath(TBrushStyle style) {
    std::string d;
    const auto square = [&d](int x, int y) { d += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z"; };
    const bool horizontal = style == TBrushStyle::bsHorizontal || style == TBrushStyle::bsCross;
    const bool vertical = style == TBrushStyle::bsVertical || style == TBrushStyle::bsCross;
    const bool forward = style == TBrushStyle::bsFDiagonal || style == TBrushStyle::bsDiagCross;
    const bool backward = style == TBrushStyle::bsBDiagonal || style == TBrushStyle::bsDiagCross;
    if (horizontal) d += "M0 0h8v1h-8z";
    if (vertical) d += "M0 0h1v8h-1z";
    for (int k = 0; k < 8; ++k) {
        if (forward) square(k, k);
        if (backward && !(forward && 7 - k == k)) square(7 - k, k);
    }
    return d;
}

}  // namespace

TSvgCanvas::TSvgCanvas(int width, int height, int scale)
    : width_(std::max(0, width)), height_(std::max(0, height)), scale_(std::max(1, scale)) {
    // Nothing is drawn into a raster: the chart is handed an empty one.
    SetBuffered(false);
}

std::string TSvgCanvas::Document(std::string_view title, std::string_view description) const {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    AppendAttribute(svg, "width", static_cast<double>(width_) * scale_);
    AppendAttribute(svg, "height", static_cast<double>(height_) * scale_);
    svg += " viewBox=\"0 0 " + std::to_string(width_) + " " + std::to_string(height_) + "\"";
    svg += std::string(" xml:space=\"preserve\" font-family=\"") + kFontFallbacks +
           "\" fill-rule=\"evenodd\" clip-rule=\"evenodd\" shape-rendering=\"crispEdges\">\n<title>";
    AppendSvgText(svg, title);
    svg += "</title>\n<desc>";
    AppendSvgText(svg, description);
    svg += "</desc>\n";
    svg += body_;
    if (clipped_) svg += "</g>\n";
    svg += "</svg>\n";
    return svg;
}

int TSvgCanvas::PenWidth() const { return std::max(1, Pen.Width); }

double TSvgCanvas::RingInset() const { return PenWidth() / 2.0 - PenWidth() / 2; }

void TSvgCanvas::AppendFill() {
    body_ += " fill=\"";
    if (Brush.Style == TBrushStyle::bsClear || Brush.Color == clNone)
        body_ += "none";
    else if (IsHatched(Brush.Style))
        body_ += "url(#" + HatchPattern() + ")";
    else
        AppendColor(body_, Brush.Color);
    body_ += '"';
}

void TSvgCanvas::AppendStroke() {
    if (!Pen.Draws()) return;
    body_ += " stroke=\"";
    AppendColor(body_, Pen.Color);
    body_ += '"';
    if (PenWidth() > 1) {
        AppendAttribute(body_, "stroke-width", PenWidth());
        body_ += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
        return;
    }
    // Wide pens draw solid, as on the raster.
    if (const TDashPattern* dash = DashPatternFor(Pen.Style)) {
        body_ += " stroke-dasharray=\"";
        for (int i = 0; i < dash->Count; ++i) body_ += (i ? "," : "") + std::to_string(dash->Runs[i]);
        body_ += '"';
    }
}

std::string TSvgCanvas::HatchPattern() {
    const bool opaque = GetBkMode() == OPAQUE && GetBkColor() != clNone;
    const auto key = std::make_tuple(static_cast<int>(Brush.Style), ColorToRGB(Brush.Color),
                                     opaque ? ColorToRGB(GetBkColor()) : 0, opaque);
    const auto found = patterns_.find(key);
    if (found != patterns_.end()) return found->second;
    const std::string id = "h" + std::to_string(++nextId_);
    // The cells start at the origin, as the raster's do, so neighbouring fills line up.
    body_ += "<pattern id=\"" + id + "\" patternUnits=\"userSpaceOnUse\" width=\"8\" height=\"8\">";
    if (opaque) {
        body_ += "<rect width=\"8\" height=\"8\" fill=\"";
        AppendColor(body_, GetBkColor());
        body_ += "\"/>";
    }
    body_ += "<path d=\"" + HatchPath(Brush.Style) + "\" fill=\"";
    AppendColor(body_, Brush.Color);
    body_ += "\"/></pattern>\n";
    patterns_.emplace(key, id);
    return id;
}

void TSvgCanvas::SetPixel(int x, int y, TColor color) {
    body_ += "<rect";
    AppendAttribute(body_, "x", x);
    AppendAttribute(body_, "y", y);
    body_ += " width=\"1\" height=\"1\" fill=\"";
    AppendColor(body_, color);
    body_ += "\"/>\n";
}

void TSvgCanvas::LineTo(int x, int y) {
    const std::array<TPoint, 2> points{PenPos, Point(x, y)};
    Stroke(points, false);
    PenPos = Point(x, y);
}

void TSvgCanvas::Polyline(std::span<const TPoint> points) {
    Stroke(points, false);
    if (!points.empty()) PenPos = points.back();
}

void TSvgCanvas::Stroke(std::span<const TPoint> points, bool closed) {
    if (!Pen.Draws() || points.size() < 2) return;
    const bool dashed = PenWidth() == 1 && DashPatternFor(Pen.Style) != nullptr;
    if (dashed && GetBkMode() == OPAQUE && GetBkColor() != clNone) StrokeDashGaps(points, closed);
    const std::size_t start = body_.size();
    body_ += "<path d=\"";
    const std::size_t data = body_.size();
    if (PenWidth() > 1)
        AppendWidePath(points, closed);
    else if (dashed)
        AppendThinPath(points, closed);
    else
        AppendBands(points, closed);
    if (body_.size() == data) {
        body_.resize(start);
        return;
    }
    if (PenWidth() == 1 && !dashed) {
        // Bands meeting at a corner overlap: they must add up, not cancel.
        body_ += "\" fill-rule=\"nonzero\" fill=\"";
        AppendColor(body_, Pen.Color);
        body_ += "\"/>\n";
        return;
    }
    body_ += "\" fill=\"none\"";
    AppendStroke();
    body_ += "/>\n";
}

// A one-pixel line covers one pixel per step along its main direction, the one nearest the line,
// from its start up to its end's pixel: the pixels whose centres lie in a band one pixel across
// along that direction. Each band runs clockwise on the screen.
void TSvgCanvas::AppendBands(std::span<const TPoint> points, bool closed) {
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const TPoint a = points[i], b = points[(i + 1) % points.size()];
        const double dx = static_cast<double>(b.X) - a.X, dy = static_cast<double>(b.Y) - a.Y;
        if (dx == 0 && dy == 0) continue;
        const bool xMajor = std::fabs(dx) >= std::fabs(dy);
        // Along the main axis u, across it v: the band's edge at u is v(u), the band v(u)..v(u) + 1.
        const double au = xMajor ? a.X : a.Y, av = xMajor ? a.Y : a.X, du = xMajor ? dx : dy, dv = xMajor ? dy : dx;
        const double slope = dv / du;
        const double from = du > 0 ? au : au + du + 1, to = du > 0 ? au + du : au + 1;
        // A pixel centre on the line's exact position goes with the pixel after it, as the raster
        // rounds halves up; a browser takes the one whose centre lies on a shape's first edge.
        const auto edge = [&](double u) { return av + (u - 0.5 - au) * slope + kTieShift; };
        const auto point = [&](double u, double v) {
            if (xMajor)
                AppendPoint(body_, u, v);
            else
                AppendPoint(body_, v, u);
        };
        body_ += 'M';
        if (xMajor) {
            point(from, edge(from));
            body_ += 'L';
            point(to, edge(to));
            body_ += 'L';
            point(to, edge(to) + 1);
            body_ += 'L';
            point(from, edge(from) + 1);
        } else {
            point(from, edge(from));
            body_ += 'L';
            point(from, edge(from) + 1);
            body_ += 'L';
            point(to, edge(to) + 1);
            body_ += 'L';
            point(to, edge(to));
        }
        body_ += 'Z';
    }
}

// The gaps of a dashed pen take the background colour when the background is opaque: the path
// drawn solid in that colour first.
void TSvgCanvas::StrokeDashGaps(std::span<const TPoint> points, bool closed) {
    const TPen pen = Pen;
    Pen.Color = GetBkColor();
    Pen.Style = psSolid;
    Stroke(points, closed);
    Pen = pen;
}

// A dashed line's centre line: each segment from A to B covers A's pixel and stops short of B's,
// its ends half a pixel back along its main direction from the pixel centres.
void TSvgCanvas::AppendThinPath(std::span<const TPoint> points, bool closed) {
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    double lastX = NAN, lastY = NAN;
    for (std::size_t i = 0; i < segments; ++i) {
        const TPoint a = points[i], b = points[(i + 1) % points.size()];
        const long long dx = static_cast<long long>(b.X) - a.X, dy = static_cast<long long>(b.Y) - a.Y;
        if (dx == 0 && dy == 0) continue;
        const bool xMajor = std::llabs(dx) >= std::llabs(dy);
        const double back = ((xMajor ? dx : dy) > 0 ? 0.5 : -0.5);
        const double sx = xMajor ? back : 0, sy = xMajor ? 0 : back;
        const double x0 = a.X + 0.5 - sx, y0 = a.Y + 0.5 - sy, x1 = b.X + 0.5 - sx, y1 = b.Y + 0.5 - sy;
        if (x0 != lastX || y0 != lastY) {
            body_ += 'M';
            AppendSvgNumber(body_, x0);
            body_ += ' ';
            AppendSvgNumber(body_, y0);
        }
        if (dy == 0) {
            body_ += 'H';
            AppendSvgNumber(body_, x1);
        } else if (dx == 0) {
            body_ += 'V';
            AppendSvgNumber(body_, y1);
        } else {
            body_ += 'L';
            AppendSvgNumber(body_, x1);
            body_ += ' ';
            AppendSvgNumber(body_, y1);
        }
        lastX = x1;
        lastY = y1;
    }
}

// A wide pen centres on a pixel centre when its width is odd and on a pixel corner when even.
void TSvgCanvas::AppendWidePath(std::span<const TPoint> points, bool closed) {
    const double shift = PenWidth() % 2 == 0 ? 1 : 0.5;
    for (std::size_t i = 0; i < points.size(); ++i) {
        body_ += i == 0 ? 'M' : 'L';
        AppendSvgNumber(body_, points[i].X + shift);
        body_ += ' ';
        AppendSvgNumber(body_, points[i].Y + shift);
    }
    if (closed) body_ += 'Z';
}

void TSvgCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const bool pen = Pen.Draws();
    const double inset = pen ? RingInset() : 0;
    const double width = right - left - 2 * inset, height = bottom - top - 2 * inset;
    if (pen && (width <= 0 || height <= 0)) {
        // A box too small to have an inside is all pen.
        const int half = PenWidth() / 2;
        const TBrush brush = Brush;
        Brush = TBrush{Pen.Color, TBrushStyle::bsSolid, nullptr};
        const TPen saved = Pen;
        Pen.Style = psClear;
        FillRect(Rect(left - half, top - half, right + PenWidth() - half, bottom + PenWidth() - half));
        Pen = saved;
        Brush = brush;
        return;
    }
    if (width <= 0 || height <= 0) return;
    AppendRectBox(left + inset, top + inset, width, height);
    AppendFill();
    AppendStroke();
    body_ += "/>\n";
}

void TSvgCanvas::FillRect(const TRect& rect) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    if (Brush.Style == TBrushStyle::bsClear || Brush.Color == clNone) return;
    AppendRectBox(rect.Left, rect.Top, static_cast<double>(rect.Right) - rect.Left,
                  static_cast<double>(rect.Bottom) - rect.Top);
    AppendFill();
    body_ += "/>\n";
}

void TSvgCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const double inset = Pen.Draws() ? RingInset() : 0;
    const double width = right - left - 2 * inset, height = bottom - top - 2 * inset;
    if (width <= 0 || height <= 0) return;
    AppendRectBox(left + inset, top + inset, width, height);
    AppendAttribute(body_, "rx", std::clamp(std::max(0, cornerWidth) / 2.0 - inset, 0.0, width / 2));
    AppendAttribute(body_, "ry", std::clamp(std::max(0, cornerHeight) / 2.0 - inset, 0.0, height / 2));
    AppendFill();
    AppendStroke();
    body_ += "/>\n";
}

// Opens a rect element with its place and size; the caller adds paint and closes it.
void TSvgCanvas::AppendRectBox(double x, double y, double width, double height) {
    body_ += "<rect";
    AppendAttribute(body_, "x", x);
    AppendAttribute(body_, "y", y);
    AppendAttribute(body_, "width", width);
    AppendAttribute(body_, "height", height);
}

void TSvgCanvas::AppendEllipseBox(double cx, double cy, double rx, double ry) {
    body_ += "<ellipse";
    AppendAttribute(body_, "cx", cx);
    AppendAttribute(body_, "cy", cy);
    AppendAttribute(body_, "rx", rx);
    AppendAttribute(body_, "ry", ry);
}

void TSvgCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const double inset = Pen.Draws() ? RingInset() : 0;
    const double rx = (right - left) / 2.0 - inset, ry = (bottom - top) / 2.0 - inset;
    if (rx <= 0 || ry <= 0) return;
    AppendEllipseBox((left + right) / 2.0, (top + bottom) / 2.0, rx, ry);
    AppendFill();
    AppendStroke();
    body_ += "/>\n";
}

void TSvgCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (Pen.Draws()) Sector(x1, y1, x2, y2, x3, y3, x4, y4, false);
}

void TSvgCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Sector(x1, y1, x2, y2, x3, y3, x4, y4, true);
}

// The part of the ellipse counter-clockwise on the screen from the ray through (x3, y3) to the
// ray through (x4, y4); rays in the same direction give the whole ellipse.
void TSvgCanvas::Sector(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, bool pie) {
    const double inset = Pen.Draws() ? RingInset() : 0;
    const double cx = (static_cast<double>(x1) + x2) / 2, cy = (static_cast<double>(y1) + y2) / 2;
    const double a = std::fabs(static_cast<double>(x2) - x1) / 2 - inset;
    const double b = std::fabs(static_cast<double>(y2) - y1) / 2 - inset;
    if (a <= 0 || b <= 0) return;
    const auto ray = [&](int x, int y) {
        const double dx = x - cx, dy = y - cy;
        return dx == 0 && dy == 0 ? std::pair{1.0, 0.0} : std::pair{dx, dy};
    };
    const auto [sx, sy] = ray(x3, y3);
    const auto [ex, ey] = ray(x4, y4);
    const auto rim = [&](double dx, double dy) {
        const double t = 1 / std::sqrt((dx / a) * (dx / a) + (dy / b) * (dy / b));
        return std::pair{cx + dx * t, cy + dy * t};
    };
    const auto [px, py] = rim(sx, sy);
    const auto [qx, qy] = rim(ex, ey);
    const bool whole = sx * ey - sy * ex == 0 && sx * ex + sy * ey > 0;
    if (whole) {
        AppendEllipseBox(cx, cy, a, b);
        if (pie) {
            AppendFill();
        } else {
            body_ += " fill=\"none\"";
        }
        AppendStroke();
        body_ += "/>\n";
        if (pie && Pen.Draws()) {
            const std::array<TPoint, 2> radius{Point(static_cast<int>(std::floor(cx)), static_cast<int>(std::floor(cy))),
                                               Point(static_cast<int>(std::floor(px)), static_cast<int>(std::floor(py)))};
            Stroke(radius, false);
        }
        return;
    }
    double sweep = std::atan2(-ey, ex) - std::atan2(-sy, sx);
    while (sweep <= 0) sweep += 2 * std::numbers::pi;
    body_ += "<path d=\"M";
    if (pie) {
        AppendPoint(body_, cx, cy);
        body_ += 'L';
    }
    AppendPoint(body_, px, py);
    body_ += 'A';
    AppendPoint(body_, a, b);
    body_ += sweep > std::numbers::pi ? " 0 1 0 " : " 0 0 0 ";
    AppendPoint(body_, qx, qy);
    if (pie) body_ += 'Z';
    body_ += '"';
    if (pie)
        AppendFill();
    else
        body_ += " fill=\"none\"";
    AppendStroke();
    body_ += "/>\n";
}

// The brush fills what the raster fills, the polygon through the corners; a one-pixel solid pen
// adds its bands, any other pen its centre line through the corner pixels' centres.
void TSvgCanvas::Polygon(const TPoint* points, int lastIndex) {
    if (points == nullptr || lastIndex < 0) return;
    const std::span<const TPoint> all(points, static_cast<std::size_t>(lastIndex) + 1);
    const bool pen = Pen.Draws(), bands = pen && PenWidth() == 1 && DashPatternFor(Pen.Style) == nullptr;
    const bool brush = Brush.Style != TBrushStyle::bsClear && Brush.Color != clNone;
    if (brush || (pen && !bands)) {
        // The raster fills a pixel whose centre lies on a left edge, not on a right one.
        const double shift = pen && !bands ? (PenWidth() % 2 == 0 ? 1 : 0.5) : 0;
        const double left = pen && !bands ? 0 : kTieShift;
        body_ += "<polygon points=\"";
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (i > 0) body_ += ' ';
            AppendPoint(body_, all[i].X + shift - left, all[i].Y + shift);
        }
        body_ += '"';
        AppendFill();
        if (!bands) AppendStroke();
        body_ += "/>\n";
    }
    if (bands) Stroke(all, true);
}

void TSvgCanvas::BevelFrame(TRect& rect, TColor topColor, TColor bottomColor, int width) {
    const bool thin = Pen.Width == 1;
    const long long l = rect.Left, t = rect.Top, r = rect.Right - (thin ? 1 : 0), b = rect.Bottom - (thin ? 1 : 0);
    const long long count = std::max(0, width);
    // Rings past the middle of the box draw nothing new.
    const long long rings = std::min(count, std::max(r - l, b - t) / 2 + 1);
    const TColor saved = Pen.Color;
    for (long long k = 0; k < rings; ++k) {
        const int L = static_cast<int>(l + k), T = static_cast<int>(t + k), R = static_cast<int>(r - k),
                  B = static_cast<int>(b - k);
        Pen.Color = topColor;
        Polyline(std::array<TPoint, 3>{Point(L, B), Point(L, T), Point(R, T)});
        Pen.Color = bottomColor;
        Polyline(std::array<TPoint, 3>{Point(R, T), Point(R, B), Point(L - 1, B)});
    }
    Pen.Color = saved;
    const auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); };
    rect = Rect(clamp(rect.Left + count), clamp(rect.Top + count), clamp(rect.Right - count), clamp(rect.Bottom - count));
}

// The raster's bands become a smooth gradient between the same two colours from the same edge.
void TSvgCanvas::GradientFillRect(const TRect& rect, TColor startColor, TGradientDirection direction,
                                  TColor endColor) {
    const TRect r = Rect(std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::max(rect.Left, rect.Right),
                         std::max(rect.Top, rect.Bottom));
    if (r.Width() <= 0 || r.Height() <= 0) return;
    const std::string id = "g" + std::to_string(++nextId_);
    const bool centre = direction == gdFromCenter;
    const char* ends = "";
    switch (direction) {
        case gdTopBottom:
        case gdBottomTop: ends = " x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\""; break;
        case gdLeftRight:
        case gdRightLeft: ends = " x1=\"1\" y1=\"0\" x2=\"0\" y2=\"0\""; break;
        case gdFromTopLeft: ends = " x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\""; break;
        case gdFromBottomLeft: ends = " x1=\"0\" y1=\"1\" x2=\"1\" y2=\"0\""; break;
        case gdFromCenter: break;
    }
    body_ += centre ? "<radialGradient id=\"" + id + "\">" : "<linearGradient id=\"" + id + "\"" + ends + ">";
    body_ += "<stop offset=\"0\" stop-color=\"";
    AppendColor(body_, centre ? endColor : startColor);
    body_ += "\"/><stop offset=\"1\" stop-color=\"";
    AppendColor(body_, centre ? startColor : endColor);
    body_ += centre ? "\"/></radialGradient>" : "\"/></linearGradient>";
    body_ += "<rect";
    AppendAttribute(body_, "x", r.Left);
    AppendAttribute(body_, "y", r.Top);
    AppendAttribute(body_, "width", r.Width());
    AppendAttribute(body_, "height", r.Height());
    body_ += " fill=\"url(#" + id + ")\"/>\n";
}

void TSvgCanvas::OpenClip(const std::string& shape) {
    if (clipped_) body_ += "</g>\n";
    const std::string id = "c" + std::to_string(++nextId_);
    body_ += "<clipPath id=\"" + id + "\">" + shape + "</clipPath><g clip-path=\"url(#" + id + ")\">\n";
    clipped_ = true;
}

void TSvgCanvas::SetClipRect(const TRect& rect) {
    std::string shape = "<rect";
    AppendAttribute(shape, "x", rect.Left);
    AppendAttribute(shape, "y", rect.Top);
    AppendAttribute(shape, "width", std::max(0.0, static_cast<double>(rect.Right) - rect.Left));
    AppendAttribute(shape, "height", std::max(0.0, static_cast<double>(rect.Bottom) - rect.Top));
    OpenClip(shape + "/>");
}

void TSvgCanvas::SetClipPolygon(std::span<const TPoint> points) {
    std::string shape = "<polygon points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) shape += ' ';
        AppendPoint(shape, points[i].X, points[i].Y);
    }
    OpenClip(shape + "\"/>");
}

void TSvgCanvas::ClearClip() {
    if (!clipped_) return;
    body_ += "</g>\n";
    clipped_ = false;
}

void TSvgCanvas::TextOut(int x, int y, const std::string& text) {
    Text(x, y, text, 0, Brush.Style == TBrushStyle::bsSolid);
}

void TSvgCanvas::RotatedText(int x, int y, const std::string& text, double angle) {
    const int size = Font.Size;
    Font.Size = ScaledFontSize();
    Text(x, y, text, angle, false);
    Font.Size = size;
}

// The text starts where the raster's would, by the measured width and the font's ascent and
// descent, and is set to the measured width, so that it fills the room the layout gave it.
void TSvgCanvas::Text(int x, int y, const std::string& text, double angle, bool background) {
    if (text.empty()) return;
    const TFontMetrics m = FontMetrics();
    const int width = TextWidth(text);
    const unsigned horizontal = GetTextAlign() & TA_HORIZONTAL_MASK, vertical = GetTextAlign() & TA_VERTICAL_MASK;
    const double u = horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? -(width / 2) : 0;
    const double v = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -m.Descent : m.Ascent;
    const double turned = std::fmod(angle, 360);
    if (background && turned == 0 && width > 0) {
        body_ += "<rect";
        AppendAttribute(body_, "x", x + u);
        AppendAttribute(body_, "y", y + v - m.Ascent);
        AppendAttribute(body_, "width", width);
        AppendAttribute(body_, "height", m.Ascent + m.Descent);
        body_ += " fill=\"";
        AppendColor(body_, Brush.Color);
        body_ += "\"/>\n";
    }
    body_ += "<text";
    AppendAttribute(body_, "x", x + u);
    AppendAttribute(body_, "y", y + v);
    AppendAttribute(body_, "font-size", FontPixels(Font));
    if (width > 0) {
        AppendAttribute(body_, "textLength", width);
        body_ += " lengthAdjust=\"spacingAndGlyphs\"";
    }
    if (Font.Name != kFontFamily) {
        body_ += " font-family=\"";
        AppendSvgText(body_, Font.Name);
        body_ += ",sans-serif\"";
    }
    if (Font.Has(fsBold)) body_ += " font-weight=\"bold\"";
    if (Font.Has(fsItalic)) body_ += " font-style=\"italic\"";
    if (Font.Has(fsUnderline) || Font.Has(fsStrikeOut))
        body_ += std::string(" text-decoration=\"") + (Font.Has(fsUnderline) ? "underline" : "") +
                 (Font.Has(fsUnderline) && Font.Has(fsStrikeOut) ? " " : "") +
                 (Font.Has(fsStrikeOut) ? "line-through" : "") + "\"";
    if (ColorToRGB(Font.Color) != clBlack) {
        body_ += " fill=\"";
        AppendColor(body_, Font.Color);
        body_ += '"';
    }
    if (turned != 0) {
        body_ += " transform=\"rotate(";
        AppendSvgNumber(body_, -turned);
        body_ += ' ';
        AppendPoint(body_, x, y);
        body_ += ")\"";
    }
    body_ += '>';
    AppendSvgText(body_, text);
    body_ += "</text>\n";
}

}  // namespace tallyhouse::image
