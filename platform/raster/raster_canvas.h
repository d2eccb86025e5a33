// The 2D raster canvas: pen, brush, font, clipping and the drawing operations on a TBitmap.
// Conventions: a rectangle or ellipse (l, t, r, b) covers columns l..r-1 and rows t..b-1; a line
// from A to B covers A and stops one pixel short of B; polygons fill even-odd and are outlined
// with the pen; a clear brush fills nothing, a clear pen outlines nothing. Every operation clips
// to the raster and the clip region, so coordinates of any size are safe and cheap.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/raster/bitmap.h"
#include "platform/text/font.h"
#include "platform/raster/geometry.h"
#include "platform/raster/pen_brush.h"

namespace tallyhouse::platform {

// Text alignment with the Windows values: one horizontal part OR one vertical part.
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
constexpr unsigned TA_HORIZONTAL_MASK = 6;
constexpr unsigned TA_VERTICAL_MASK = 24;

enum TGradientDirection {
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft
};

class TClipRegion;
class TPixelOp;
class TSector;
class TSpanSet;
struct TConvexShape;

class TRasterCanvas {
public:
    TRasterCanvas();
    explicit TRasterCanvas(TBitmap* target);
    virtual ~TRasterCanvas();
    TRasterCanvas(const TRasterCanvas&) = delete;
    TRasterCanvas& operator=(const TRasterCanvas&) = delete;

    // The raster drawn on (not owned; null draws nothing). Setting it lifts the clip.
    TBitmap* Target() const { return target_; }
    void SetTarget(TBitmap* target);

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;

    TColor GetBkColor() const { return bk_color_; }
    void SetBkColor(TColor color) { bk_color_ = color; }
    int GetBkMode() const { return bk_mode_; }
    void SetBkMode(int mode) { bk_mode_ = mode; }
    unsigned GetTextAlign() const { return text_align_; }
    void SetTextAlign(unsigned align) { text_align_ = align; }
    // Hatch brushes draw their 8 x 8 cells with squares of scale x scale pixels, for a picture
    // drawn at several times the pixel density.
    void SetHatchScale(int scale) { hatch_scale_ = scale; }

    // Pen black width 1 solid copy, brush white solid, font black 10 points, background white opaque,
    // text aligned left/top, no clip.
    void ResetDefaults();

    virtual void SetPixel(int x, int y, TColor color);
    virtual void MoveTo(int x, int y);
    virtual void LineTo(int x, int y);
    virtual void Line(int x0, int y0, int x1, int y1);
    virtual void HorizLine(int x0, int x1, int y) { Line(x0, y, x1, y); }
    virtual void VertLine(int x, int y0, int y1) { Line(x, y0, x, y1); }
    // Open polyline through the points with the pen; each segment stops short of its end point.
    virtual void Polyline(std::span<const TPoint> points);

    virtual void Rectangle(int left, int top, int right, int bottom);
    virtual void RectangleR(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    virtual void FillRect(const TRect& rect);
    virtual void ClearRect(const TRect& rect) { FillRect(rect); }
    // Corner ellipses are cornerWidth x cornerHeight pixels, as in Windows.
    virtual void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    virtual void Ellipse(int left, int top, int right, int bottom);
    // Arc and pie of the ellipse in (x1, y1, x2, y2), counter-clockwise on screen from the ray
    // through (x3, y3) to the ray through (x4, y4); equal rays give the whole ellipse.
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    virtual void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Points 0..lastIndex as one closed polygon.
    virtual void Polygon(const TPoint* points, int lastIndex);
    void Polygon(std::span<const TPoint> points) {
        Polygon(points.data(), static_cast<int>(points.size()) - 1);
    }

    // Shrinks rect by width on every side, drawing width rings of top/left and bottom/right colours.
    virtual void BevelFrame(TRect& rect, TColor topColor, TColor bottomColor, int width);
    virtual void GradientFillRect(const TRect& rect, TColor startColor, TGradientDirection direction,
                                  TColor endColor);

    // Copies a raster with its top-left at (x, y); stretched to rect (right, bottom exclusive).
    virtual void Draw(int x, int y, const TBitmap& source);
    virtual void StretchDraw(const TRect& rect, const TBitmap& source);

    virtual void SetClipRect(const TRect& rect);
    // Clips to the even-odd interior of a polygon (within the raster); replaces any clip.
    virtual void SetClipPolygon(std::span<const TPoint> points);
    virtual void ClearClip();

    // Text in the font colour at the reference point given by the text alignment; the cell behind
    // it is filled with the brush colour when the brush is solid, left alone when it is clear.
    virtual void TextOut(int x, int y, const std::string& text);
    virtual int TextWidth(std::string_view text);
    virtual int TextHeight(const std::string& text);
    // Text turned angleDegrees counter-clockwise about the reference point; never a background.
    virtual void RotatedText(int x, int y, const std::string& text, double angleDegrees);
    TFontMetrics FontMetrics();

private:
    TRect Visible() const;
    TPixelOp BrushOp() const;
    void PaintWith(TSpanSet& spans, const TPixelOp& op);
    void AddPenPath(std::span<const TPoint> points, bool closed, TSpanSet& drawn, TSpanSet& gaps) const;
    void PaintPenSpans(TSpanSet& drawn, TSpanSet& gaps);
    void StrokePath(std::span<const TPoint> points, bool closed);
    void FillAndOutline(const TConvexShape& shape);
    void FillSector(const TConvexShape& shape, const TSector& sector);
    void OutlineSector(const TConvexShape& shape, const TSector& sector, bool radii, TSpanSet& drawn);
    void PaintGradientBands(const TRect& rect, TColor first, TColor second, bool vertical);
    void PaintGradientPixels(const TRect& area, TColor (*colour)(const TRect&, TColor, TColor, int, int),
                             const TRect& rect, TColor first, TColor second);
    void DrawText(int x, int y, const std::string& text, double angleDegrees, bool background);

    TBitmap* target_ = nullptr;
    std::unique_ptr<TClipRegion> clip_;
    TColor bk_color_ = clWhite;
    int bk_mode_ = OPAQUE;
    unsigned text_align_ = TA_LEFT | TA_TOP;
    int hatch_scale_ = 1;
};

}  // namespace tallyhouse::platform
