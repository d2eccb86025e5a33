// The chart's raster canvas at N times the pixel density. The chart lays itself out and measures
// its texts in its own pixels, as always; every drawing call is drawn with each length multiplied
// by N (coordinates, pen widths, dash runs, hatch cells, font sizes), so the picture is the 1x
// chart, pixel for pixel N x N as fine, for high-density displays.
#pragma once

#include <span>
#include <string>

#include "chart/canvas/canvas3d.h"

namespace tallyhouse::chart {

class TScaledCanvas3D : public TRasterCanvas3D {
public:
    // scale from 1 (the plain canvas) upward.
    explicit TScaledCanvas3D(int scale);

    int Scale() const { return scale_; }

    void SetPixel(int x, int y, platform::TColor color) override;
    void LineTo(int x, int y) override;
    void Polyline(std::span<const platform::TPoint> points) override;
    void Rectangle(int left, int top, int right, int bottom) override;
    void FillRect(const platform::TRect& rect) override;
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) override;
    void Ellipse(int left, int top, int right, int bottom) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void Polygon(const platform::TPoint* points, int lastIndex) override;
    void BevelFrame(platform::TRect& rect, platform::TColor topColor, platform::TColor bottomColor, int width) override;
    void GradientFillRect(const platform::TRect& rect, platform::TColor startColor, platform::TGradientDirection direction,
                          platform::TColor endColor) override;
    void Draw(int x, int y, const platform::TBitmap& source) override;
    void StretchDraw(const platform::TRect& rect, const platform::TBitmap& source) override;
    void SetClipRect(const platform::TRect& rect) override;
    void SetClipPolygon(std::span<const platform::TPoint> points) override;
    void TextOut(int x, int y, const std::string& text) override;
    void RotatedText(int x, int y, const std::string& text, double angle) override;

private:
    int Scaled(int v) const;
    platform::TRect Scaled(const platform::TRect& r) const;
    // Where the pen's line through a chart point lies on the fine raster: pixel centres and pixel
    // corners of the two rasters differ by a few fine pixels, depending on the widths.
    int LineShift() const;
    // How far a pen's ring around a box moves inward on the fine raster, for the same reason.
    int RingInset() const;
    platform::TPoint OnFineRaster(platform::TPoint p) const;
    platform::TRect FineBox(int left, int top, int right, int bottom) const;
    // The pen's path drawn on the fine raster with the pen N times as wide.
    void Stroke(std::span<const platform::TPoint> points, bool closed);
    // A one-pixel pen's path: each segment stops a pixel short of its end, dash runs scaled.
    void StrokeThin(std::span<const platform::TPoint> points, bool closed);
    void StrokeThinSegment(platform::TPoint a, platform::TPoint b, long long& phase);
    void StrokeRun(platform::TPoint a, platform::TPoint b, platform::TColor color);
    // Runs op with the pen and font at the fine raster's sizes, then restores them.
    template <class Op>
    void WithFineSizes(Op&& op);

    int scale_;
};

}  // namespace tallyhouse::chart
