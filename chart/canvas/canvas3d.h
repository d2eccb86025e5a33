// The chart's drawing surface: the 2D raster canvas plus a 3D projection and primitives built on it.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "chart/canvas/chart_pen.h"
#include "chart/canvas/pie_slice_geometry.h"
#include "chart/canvas/projection.h"
#include "chart/canvas/view3d_options.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/geometry.h"
#include "platform/raster/raster_canvas.h"

namespace tallyhouse::chart {

// The 3D part every chart canvas shares: the viewer options in use and the current view kind.
class TCanvas3D : public platform::TRasterCanvas {
public:
    const TView3DOptions* View3DOptions() const { return options_; }
    bool OrthoView() const { return projection_.OrthoView; }
    bool Enabled3D() const { return projection_.Enabled3D; }
    const TProjection3D& Projection() const { return projection_; }

protected:
    const TView3DOptions* options_ = nullptr;
    TProjection3D projection_;
};

class TRasterCanvas3D : public TCanvas3D {
public:
    TRasterCanvas3D();
    ~TRasterCanvas3D() override;

    // Projection state (see TProjection3D).
    int ViewCenterX() const { return projection_.ViewCenterX; }
    int ViewCenterY() const { return projection_.ViewCenterY; }
    int ViewCenterZ() const { return projection_.ViewCenterZ; }
    int ScreenCenterX() const { return projection_.ScreenCenterX; }
    int ScreenCenterY() const { return projection_.ScreenCenterY; }
    double ViewScale() const { return projection_.ViewScale; }
    bool Stale() const { return stale_; }
    const platform::TRect& Bounds() const { return bounds_; }
    // The off-screen raster while buffered drawing has created one, else null.
    const platform::TBitmap* Offscreen() const { return offscreen_.get(); }

    // The chart's font height: the height of "W" in the current font.
    int FontHeight() { return TextHeight("W"); }
    // Copies a chart pen when visible, else clears the pen.
    void AssignChartPen(const TChartPen& pen);

    // GetBkColor, SetBkColor, GetBkMode, SetBkMode, GetTextAlign, SetTextAlign and the 2D drawing
    // operations come from TRasterCanvas.
    platform::TBitmap* GetHandle() const { return Target(); }
    bool GetMonochrome() const { return monochrome_; }
    bool GetBuffered() const { return buffered_; }
    // Switching monochrome, or buffering off, discards the off-screen raster.
    void SetMonochrome(bool monochrome);
    void SetBuffered(bool buffered);

    void DrawGraphic(int x, int y, const platform::TBitmap& graphic) { Draw(x, y, graphic); }
    void StretchGraphic(const platform::TRect& rect, const platform::TBitmap& graphic) { StretchDraw(rect, graphic); }
    void MarkDirty() { stale_ = true; }
    // Turned by angle degrees counter-clockwise, font scaled by the zoom when it is not 100 %.
    void RotatedText(int x, int y, const std::string& text, double angle) override;

    bool SupportsFullRotation() const { return false; }
    bool SupportsPerspective() const { return false; }

    // Projection of chart points onto the raster; in 2D the identity.
    platform::TPoint ProjectPointOut(int x, int y, int z) const { return projection_.Project(x, y, z); }
    void ProjectPoint(int& x, int& y, int z) const;
    // Mouse positions back to chart points at depth z (oblique view only).
    void UnprojectPoint(int& x, int& y, int z) const { projection_.Unproject(x, y, z); }

    // Starts a drawing into rect of destination; workRect receives the rectangle to draw into:
    // rect itself when unbuffered, (0, 0, width, height) of the off-screen raster when buffered.
    void BeginView(platform::TBitmap* destination, const TView3DOptions* options, platform::TRect& workRect, const platform::TRect& rect,
                   bool is3D);
    void CopyCanvasState(const platform::TRasterCanvas& other);
    void SetViewCentre(int depth, const platform::TRect& panelRect, const platform::TRect& plotRect);
    // Copies the off-screen raster to destination (or defaultDestination when null) at rect's top-left.
    void FlushToTarget(platform::TBitmap* destination, platform::TBitmap* defaultDestination, const platform::TRect& rect);
    // Copies the off-screen raster to the destination of the current view.
    void ShowBuffered();
    void Suspend3D() { projection_.Suspend(); }
    void Resume3D() { projection_.Resume(); }

    // Clips to the projected outline of the box (rect, z0..z1); in 2D to rect's inside.
    void ClipBox(const platform::TRect& rect, int z0, int z1);

    void PixelAtZ(int x, int y, int z, platform::TColor color);
    void MoveToZ(int x, int y, int z);
    void LineToZ(int x, int y, int z);
    void LineAtZ(int x0, int y0, int x1, int y1, int z);
    void HorizLineAtZ(int left, int right, int y, int z);
    void VertLineAtZ(int x, int top, int bottom, int z);
    void DepthLine(int x, int y, int z0, int z1);

    void RectAtZ(const platform::TRect& rect, int z);
    void QuadAtZ(platform::TPoint p1, platform::TPoint p2, platform::TPoint p3, platform::TPoint p4, int z);
    void TriangleAtZ(platform::TPoint p1, platform::TPoint p2, platform::TPoint p3, int z);
    void QuadBetweenZ(platform::TPoint p1, platform::TPoint p2, int z0, int z1);
    // Points 0 and 1 at z0, points 2 and 3 at z1.
    void QuadFourBetweenZ(std::span<const platform::TPoint, 4> points, int z0, int z1);
    void HorizPlane(int left, int y, int right, int z0, int z1);
    void VertPlane(int x, int top, int bottom, int z0, int z1);

    // Front, right and top faces; with darkSides the right face is 128 and the top 64 darker.
    void Box3D(int left, int right, int top, int bottom, int z0, int z1, bool darkSides);
    void Cylinder3D(bool vertical, int left, int top, int right, int bottom, int z0, int z1, bool darkCover);
    void Pyramid3D(bool vertical, int left, int top, int right, int bottom, int z0, int z1, bool darkSides);
    void EllipseAtZ(int left, int top, int right, int bottom, int z);
    // Angles in radians, counter-clockwise from the positive x axis; the face lies at z1.
    // Where PieSlice3D with these arguments draws: two calls of one shape paint the same pixels.
    TPieSliceGeometry PieSliceShape(int xCenter, int yCenter, int xRadius, int yRadius, int z0, int z1,
                                    double startAngle, double endAngle) const;
    void PieSlice3D(int xCenter, int yCenter, int xRadius, int yRadius, int z0, int z1, double startAngle,
                    double endAngle, bool darkSides, bool drawSides);
    void Arrow3D(bool filled, platform::TPoint from, platform::TPoint to, int headWidth, int headHeight, int z);

    void TextAtZ(int x, int y, int z, const std::string& text);
    void RotatedTextAtZ(int x, int y, int z, const std::string& text, double angle);

protected:
    // The font size zoomed by the view scale, as text at a depth and turned text draw it.
    int ScaledFontSize() const;

private:
    void Face(std::span<const platform::TPoint> corners);
    platform::TColor FaceColor() const;
    void SetFaceColor(platform::TColor color);
    void DiscardOffscreen();

    std::unique_ptr<platform::TBitmap> offscreen_;
    platform::TBitmap* destination_ = nullptr;
    bool buffered_ = true;
    bool monochrome_ = false;
    bool stale_ = true;
    platform::TRect bounds_;
};

}  // namespace tallyhouse::chart
