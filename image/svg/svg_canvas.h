// The chart's canvas as an SVG document: the same drawing calls the raster canvas takes (the 3D
// primitives project onto them as ever), written as SVG elements instead of pixels. Geometry
// follows the raster's conventions, so shapes cover what the raster's pixels cover; texts are
// measured with the chart's font, as the layout measured them, and set at that width.
#pragma once

#include <map>
#include <span>
#include <string>
#include <tuple>

#include "chart/canvas/canvas3d.h"

namespace tallyhouse::image {

class TSvgCanvas : public chart::TRasterCanvas3D {
public:
    // A document of width x height chart pixels, shown at scale times that size.
    TSvgCanvas(int width, int height, int scale = 1);

    // The whole document: the elements drawn so far after a title and a description.
    std::string Document(std::string_view title, std::string_view description) const;

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
    // Pictures are not part of a chart's drawing; an SVG chart holds none.
    void Draw(int, int, const platform::TBitmap&) override {}
    void StretchDraw(const platform::TRect&, const platform::TBitmap&) override {}
    void SetClipRect(const platform::TRect& rect) override;
    void SetClipPolygon(std::span<const platform::TPoint> points) override;
    void ClearClip() override;
    void TextOut(int x, int y, const std::string& text) override;
    void RotatedText(int x, int y, const std::string& text, double angle) override;

private:
    int PenWidth() const;
    // How far the centre line of the pen's ring lies inside a box's edge.
    double RingInset() const;
    void AppendFill();
    void AppendStroke();
    // The pen's path: one-pixel segments cover their start and stop a pixel short of their end.
    void Stroke(std::span<const platform::TPoint> points, bool closed);
    void AppendBands(std::span<const platform::TPoint> points, bool closed);
    void AppendThinPath(std::span<const platform::TPoint> points, bool closed);
    void AppendWidePath(std::span<const platform::TPoint> points, bool closed);
    void StrokeDashGaps(std::span<const platform::TPoint> points, bool closed);
    void AppendRectBox(double x, double y, double width, double height);
    void AppendEllipseBox(double cx, double cy, double rx, double ry);
    void Sector(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, bool pie);
    void Text(int x, int y, const std::string& text, double angle, bool background);
    std::string HatchPattern();
    void OpenClip(const std::string& shape);

    int width_;
    int height_;
    int scale_;
    std::string body_;
    // Hatch patterns by style, colour, background colour and whether the background is filled.
    std::map<std::tuple<int, platform::TColor, platform::TColor, bool>, std::string> patterns_;
    int nextId_ = 0;
    bool clipped_ = false;
};

}  // namespace tallyhouse::image
