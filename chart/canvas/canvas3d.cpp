// 3D primitives as projected polygons, the off-screen raster and the view set-up of each drawing.
#include "chart/canvas/canvas3d.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "chart/canvas/color_shade.h"
#include "chart/canvas/pie_slice_geometry.h"
#include "chart/canvas/solid_geometry.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

// Zoomed text beyond this size would only cost glyph rendering far outside any chart.
constexpr int kMaxScaledFontSize = 1000;

bool IsHatched(TBrushStyle style) { return style != TBrushStyle::bsSolid && style != TBrushStyle::bsClear; }

int Mid(int a, int b) { return static_cast<int>((static_cast<std::int64_t>(a) + b) / 2); }
int HalfSpan(int from, int to) {
    return static_cast<int>(std::clamp<std::int64_t>((static_cast<std::int64_t>(to) - from) / 2, INT32_MIN,
                                                     INT32_MAX));
}

TColor Monochrome(TColor c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) >= 384 ? clWhite : clBlack;
}

}  // namespace

TRasterCanvas3D::TRasterCanvas3D() = default;
TRasterCanvas3D::~TRasterCanvas3D() = default;

void TRasterCanvas3D::AssignChartPen(const TChartPen& pen) {
    if (pen.Visible)
        Pen = pen;
    else
        Pen.Style = psClear;
}

void TRasterCanvas3D::DiscardOffscreen() {
    if (offscreen_ && Target() == offscreen_.get()) SetTarget(destination_);
    offscreen_.reset();
    stale_ = true;
}

void TRasterCanvas3D::SetMonochrome(bool monochrome) {
    if (monochrome == monochrome_) return;
    monochrome_ = monochrome;
    DiscardOffscreen();
}

void TRasterCanvas3D::SetBuffered(bool buffered) {
    if (buffered == buffered_) return;
    buffered_ = buffered;
    if (!buffered_) DiscardOffscreen();
}

void TRasterCanvas3D::ProjectPoint(int& x, int& y, int z) const {
    const TPoint p = projection_.Project(x, y, z);
    x = p.X;
    y = p.Y;
}

void TRasterCanvas3D::BeginView(TBitmap* destination, const TView3DOptions* options, TRect& workRect,
                                const TRect& rect, bool is3D) {
    bounds_ = rect;
    options_ = options;
    destination_ = destination;
    projection_.Begin(options, is3D);
    if (!buffered_) {
        SetTarget(destination);
        workRect = rect;
        return;
    }
    const int width = std::max(0, rect.Width()), height = std::max(0, rect.Height());
    if (!offscreen_ || offscreen_->Width() != width || offscreen_->Height() != height)
        offscreen_ = std::make_unique<TBitmap>(width, height, clWhite);
    SetTarget(offscreen_.get());
    workRect = Rect(0, 0, width, height);
}

void TRasterCanvas3D::CopyCanvasState(const TRasterCanvas& other) {
    Pen = other.Pen;
    Brush = other.Brush;
    Font = other.Font;
    SetBkColor(other.GetBkColor());
    SetBkMode(other.GetBkMode());
    SetTextAlign(other.GetTextAlign());
}

void TRasterCanvas3D::SetViewCentre(int depth, const TRect& /*panelRect*/, const TRect& plotRect) {
    projection_.SetViewCentre(options_, depth, plotRect);
}

void TRasterCanvas3D::FlushToTarget(TBitmap* destination, TBitmap* defaultDestination, const TRect& rect) {
    TBitmap* target = destination ? destination : defaultDestination;
    stale_ = false;
    if (!target || !offscreen_ || target == offscreen_.get()) return;
    const TBitmap& source = *offscreen_;
    const int x0 = std::max(0, -rect.Left), y0 = std::max(0, -rect.Top);
    const int x1 = static_cast<int>(std::min<std::int64_t>(source.Width(),
                                                           static_cast<std::int64_t>(target->Width()) - rect.Left));
    const int y1 = static_cast<int>(std::min<std::int64_t>(source.Height(),
                                                           static_cast<std::int64_t>(target->Height()) - rect.Top));
    for (int y = y0; y < y1; ++y) {
        if (!monochrome_) {
            std::memcpy(target->Row(y + rect.Top) + static_cast<std::size_t>(x0 + rect.Left) * 3,
                        source.Row(y) + static_cast<std::size_t>(x0) * 3, static_cast<std::size_t>(x1 - x0) * 3);
            continue;
        }
        for (int x = x0; x < x1; ++x) target->SetPixel(x + rect.Left, y + rect.Top, Monochrome(source.GetPixel(x, y)));
    }
}

void TRasterCanvas3D::ShowBuffered() { FlushToTarget(destination_, nullptr, bounds_); }

void TRasterCanvas3D::ClipBox(const TRect& rect, int z0, int z1) {
    if (!Enabled3D()) {
        SetClipRect(Rect(rect.Left + 1, rect.Top + 1, rect.Right, rect.Bottom - 1));
        return;
    }
    const std::array<TPoint, 6> hexagon = {
        ProjectPointOut(rect.Left, rect.Bottom, z0), ProjectPointOut(rect.Left, rect.Top, z0),
        ProjectPointOut(rect.Left, rect.Top, z1),    ProjectPointOut(rect.Right, rect.Top, z1),
        ProjectPointOut(rect.Right, rect.Bottom, z1), ProjectPointOut(rect.Right, rect.Bottom, z0),
    };
    SetClipPolygon(hexagon);
}

void TRasterCanvas3D::PixelAtZ(int x, int y, int z, TColor color) {
    const TPoint p = ProjectPointOut(x, y, z);
    if (Pen.Width <= 1) {
        SetPixel(p.X, p.Y, color);
        return;
    }
    const TColor saved = Pen.Color;
    Pen.Color = color;
    Line(p.X, p.Y, p.X, p.Y);
    Pen.Color = saved;
}

void TRasterCanvas3D::MoveToZ(int x, int y, int z) {
    const TPoint p = ProjectPointOut(x, y, z);
    MoveTo(p.X, p.Y);
}

void TRasterCanvas3D::LineToZ(int x, int y, int z) {
    const TPoint p = ProjectPointOut(x, y, z);
    LineTo(p.X, p.Y);
}

void TRasterCanvas3D::LineAtZ(int x0, int y0, int x1, int y1, int z) {
    MoveToZ(x0, y0, z);
    LineToZ(x1, y1, z);
}

void TRasterCanvas3D::HorizLineAtZ(int left, int right, int y, int z) { LineAtZ(left, y, right, y, z); }

void TRasterCanvas3D::VertLineAtZ(int x, int top, int bottom, int z) { LineAtZ(x, top, x, bottom, z); }

void TRasterCanvas3D::DepthLine(int x, int y, int z0, int z1) {
    MoveToZ(x, y, z0);
    LineToZ(x, y, z1);
}

void TRasterCanvas3D::Face(std::span<const TPoint> corners) { Polygon(corners); }

void TRasterCanvas3D::RectAtZ(const TRect& r, int z) {
    QuadAtZ(Point(r.Left, r.Top), Point(r.Right, r.Top), Point(r.Right, r.Bottom), Point(r.Left, r.Bottom), z);
}

void TRasterCanvas3D::QuadAtZ(TPoint p1, TPoint p2, TPoint p3, TPoint p4, int z) {
    const std::array<TPoint, 4> q = {ProjectPointOut(p1.X, p1.Y, z), ProjectPointOut(p2.X, p2.Y, z),
                                     ProjectPointOut(p3.X, p3.Y, z), ProjectPointOut(p4.X, p4.Y, z)};
    Face(q);
}

void TRasterCanvas3D::TriangleAtZ(TPoint p1, TPoint p2, TPoint p3, int z) {
    const std::array<TPoint, 3> t = {ProjectPointOut(p1.X, p1.Y, z), ProjectPointOut(p2.X, p2.Y, z),
                                     ProjectPointOut(p3.X, p3.Y, z)};
    Face(t);
}

void TRasterCanvas3D::QuadBetweenZ(TPoint p1, TPoint p2, int z0, int z1) {
    const std::array<TPoint, 4> q = {ProjectPointOut(p1.X, p1.Y, z0), ProjectPointOut(p2.X, p2.Y, z0),
                                     ProjectPointOut(p2.X, p2.Y, z1), ProjectPointOut(p1.X, p1.Y, z1)};
    Face(q);
}

void TRasterCanvas3D::QuadFourBetweenZ(std::span<const TPoint, 4> p, int z0, int z1) {
    const std::array<TPoint, 4> q = {ProjectPointOut(p[0].X, p[0].Y, z0), ProjectPointOut(p[1].X, p[1].Y, z0),
                                     ProjectPointOut(p[2].X, p[2].Y, z1), ProjectPointOut(p[3].X, p[3].Y, z1)};
    Face(q);
}

void TRasterCanvas3D::HorizPlane(int left, int y, int right, int z0, int z1) {
    const std::array<TPoint, 4> q = {ProjectPointOut(left, y, z0), ProjectPointOut(right, y, z0),
                                     ProjectPointOut(right, y, z1), ProjectPointOut(left, y, z1)};
    Face(q);
}

void TRasterCanvas3D::VertPlane(int x, int top, int bottom, int z0, int z1) {
    const std::array<TPoint, 4> q = {ProjectPointOut(x, top, z0), ProjectPointOut(x, top, z1),
                                     ProjectPointOut(x, bottom, z1), ProjectPointOut(x, bottom, z0)};
    Face(q);
}

TColor TRasterCanvas3D::FaceColor() const { return IsHatched(Brush.Style) ? GetBkColor() : Brush.Color; }

void TRasterCanvas3D::SetFaceColor(TColor color) {
    if (IsHatched(Brush.Style))
        SetBkColor(color);
    else
        Brush.Color = color;
}

void TRasterCanvas3D::Box3D(int left, int right, int top, int bottom, int z0, int z1, bool darkSides) {
    RectAtZ(Rect(left, top, right, bottom), z0);
    if (!Enabled3D()) return;
    const TColor face = FaceColor();
    if (darkSides) SetFaceColor(Darker(face, 128));
    VertPlane(right, top, bottom, z0, z1);
    if (darkSides) SetFaceColor(Darker(face, 64));
    HorizPlane(left, top, right, z0, z1);
}

void TRasterCanvas3D::Cylinder3D(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                                 bool darkCover) {
    const int cz = Mid(z0, z1), rz = HalfSpan(z0, z1);
    const auto near = vertical ? CylinderRing(true, bottom, Mid(left, right), HalfSpan(left, right), cz, rz)
                               : CylinderRing(false, left, Mid(top, bottom), HalfSpan(top, bottom), cz, rz);
    const auto cover = vertical ? CylinderRing(true, top, Mid(left, right), HalfSpan(left, right), cz, rz)
                                : CylinderRing(false, right, Mid(top, bottom), HalfSpan(top, bottom), cz, rz);
    std::vector<TPoint> body;
    std::vector<TPoint> cap;
    for (const TPoint3D& p : near) body.push_back(ProjectPointOut(p.X, p.Y, p.Z));
    for (const TPoint3D& p : cover) cap.push_back(ProjectPointOut(p.X, p.Y, p.Z));
    body.insert(body.end(), cap.begin(), cap.end());
    Polygon(ConvexHull(std::move(body)));
    if (!Enabled3D()) return;
    const TColor face = FaceColor();
    if (darkCover) SetFaceColor(Darker(face, 64));
    Polygon(cap);
    if (darkCover) SetFaceColor(face);
}

void TRasterCanvas3D::Pyramid3D(bool vertical, int left, int top, int right, int bottom, int z0, int z1,
                                bool darkSides) {
    const int cz = Mid(z0, z1);
    const TColor face = FaceColor();
    if (vertical) {
        const TPoint apex = ProjectPointOut(Mid(left, right), top, cz);
        const std::array<TPoint, 3> front = {ProjectPointOut(left, bottom, z0), ProjectPointOut(right, bottom, z0),
                                             apex};
        Face(front);
        if (!Enabled3D()) return;
        if (darkSides) SetFaceColor(Darker(face, 128));
        const std::array<TPoint, 3> side = {ProjectPointOut(right, bottom, z0), ProjectPointOut(right, bottom, z1),
                                            apex};
        Face(side);
        if (top > bottom) {
            if (darkSides) SetFaceColor(Darker(face, 64));
            HorizPlane(left, bottom, right, z0, z1);
        }
        return;
    }
    const TPoint apex = ProjectPointOut(right, Mid(top, bottom), cz);
    const std::array<TPoint, 3> front = {ProjectPointOut(left, top, z0), ProjectPointOut(left, bottom, z0), apex};
    Face(front);
    if (!Enabled3D()) return;
    if (darkSides) SetFaceColor(Darker(face, 64));
    const std::array<TPoint, 3> side = {ProjectPointOut(left, top, z0), ProjectPointOut(left, top, z1), apex};
    Face(side);
    if (right < left) {
        if (darkSides) SetFaceColor(Darker(face, 128));
        VertPlane(left, top, bottom, z0, z1);
    }
}

void TRasterCanvas3D::EllipseAtZ(int left, int top, int right, int bottom, int z) {
    if (!Enabled3D()) {
        Ellipse(left, top, right, bottom);
        return;
    }
    const std::array<TPoint, 20> v = EllipseVertices(projection_, left, top, right, bottom, z);
    if (Brush.Style != TBrushStyle::bsClear) {
        const TPen saved = Pen;
        Pen.Style = psClear;
        Polygon(v);
        Pen = saved;
    }
    if (Pen.Style == psClear) return;
    std::array<TPoint, 21> outline;
    std::copy(v.begin(), v.end(), outline.begin());
    outline[20] = v[0];
    Polyline(outline);
}

TPieSliceGeometry TRasterCanvas3D::PieSliceShape(int xCenter, int yCenter, int xRadius, int yRadius, int z0, int z1,
                                                double startAngle, double endAngle) const {
    return ComputePieSlice(projection_, xCenter, yCenter, xRadius, yRadius, z0, z1, startAngle, endAngle);
}

void TRasterCanvas3D::PieSlice3D(int xCenter, int yCenter, int xRadius, int yRadius, int z0, int z1,
                                 double startAngle, double endAngle, bool darkSides, bool drawSides) {
    const TPieSliceGeometry g =
        ComputePieSlice(projection_, xCenter, yCenter, xRadius, yRadius, z0, z1, startAngle, endAngle);
    const TColor face = FaceColor();
    const bool sides = Enabled3D();
    if (sides && drawSides) {
        if (darkSides) SetFaceColor(Darker(face, 32));
        if (g.endSideVisible) Face(std::array<TPoint, 4>{g.faceCentre, g.P(32), g.Q(32), g.backCentre});
        if (g.startSideVisible) Face(std::array<TPoint, 4>{g.faceCentre, g.P(1), g.Q(1), g.backCentre});
    }
    SetFaceColor(face);
    std::array<TPoint, TPieSliceGeometry::kArcPoints + 1> outline;
    outline[0] = g.faceCentre;
    std::copy(g.face.begin(), g.face.end(), outline.begin() + 1);
    Face(outline);
    if (!sides) return;
    for (const TPieSliceGeometry::Run& run : g.rim) {
        if (darkSides) SetFaceColor(Darker(face, 32));
        std::vector<TPoint> band;
        for (int k = run.first; k <= run.last; ++k) band.push_back(g.P(k));
        for (int k = run.last; k >= run.first; --k) band.push_back(g.Q(k));
        Face(band);
    }
}

void TRasterCanvas3D::Arrow3D(bool filled, TPoint from, TPoint to, int headWidth, int headHeight, int z) {
    const TArrowShape shape = ArrowShape(from, to, headWidth, headHeight);
    if (!shape.valid) return;
    const TPoint tip = ProjectPointOut(to.X, to.Y, z);
    const TPoint wing1 = ProjectPointOut(shape.head[1].X, shape.head[1].Y, z);
    const TPoint wing2 = ProjectPointOut(shape.head[2].X, shape.head[2].Y, z);
    LineAtZ(from.X, from.Y, filled ? shape.shaftEnd.X : to.X, filled ? shape.shaftEnd.Y : to.Y, z);
    if (filled) {
        Face(std::array<TPoint, 3>{tip, wing1, wing2});
        return;
    }
    Polyline(std::array<TPoint, 3>{wing1, tip, wing2});
}

int TRasterCanvas3D::ScaledFontSize() const {
    return std::clamp(Round(static_cast<long double>(Font.Size) * projection_.ViewScale), 1, kMaxScaledFontSize);
}

void TRasterCanvas3D::RotatedText(int x, int y, const std::string& text, double angle) {
    if (projection_.ViewScale == 1.0) {
        TRasterCanvas::RotatedText(x, y, text, angle);
        return;
    }
    const int size = Font.Size;
    Font.Size = ScaledFontSize();
    TRasterCanvas::RotatedText(x, y, text, angle);
    Font.Size = size;
}

void TRasterCanvas3D::TextAtZ(int x, int y, int z, const std::string& text) {
    const TPoint p = ProjectPointOut(x, y, z);
    if (projection_.ViewScale == 1.0) {
        TextOut(p.X, p.Y, text);
        return;
    }
    const int size = Font.Size;
    Font.Size = ScaledFontSize();
    TextOut(p.X, p.Y, text);
    Font.Size = size;
}

void TRasterCanvas3D::RotatedTextAtZ(int x, int y, int z, const std::string& text, double angle) {
    const TPoint p = ProjectPointOut(x, y, z);
    RotatedText(p.X, p.Y, text, angle);
}

}  // namespace tallyhouse::chart
