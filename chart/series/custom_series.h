// TCustomSeries: the common base of line-like series, as far as area bands use it: the edge from
// point to point (slanted or stepped), its 3D roof, and the state carried from point to point.
#pragma once

#include "chart/model/chart_series.h"

namespace tallyhouse::chart {

class TCustomSeries : public TChartSeries {
public:
    TCustomSeries();

    TChartPen LinePen;
    bool Stairs = false;
    bool InvertedStairs = false;
    bool Dark3D = true;
    bool DrawArea = false;

    void BeginDrawPoints() override;
    void DrawPoint(int i) override;
    void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override;

    // Pixel row the band under point i reaches down to.
    virtual int BottomPixel(int i) const;

protected:
    // Colour of the filled faces drawn for a point of colour color.
    virtual platform::TColor AreaFillColor(platform::TColor color) const { return color; }
    // Draws the front face of the segment ending at point i (x, y) in colour color.
    virtual void DrawFrontFace(int i, int x, int y, platform::TColor color) = 0;

    platform::TBrushStyle LineBrush = platform::TBrushStyle::bsSolid;

    // State carried from one drawn point to the next.
    int OldX = 0;
    int OldY = 0;
    int OldBottom = 0;
    platform::TColor OldColor = platform::clNone;
    int Bottom = 0;
    double SteepSlope = 1.0;

private:
    // The segment from (OldX, OldY) to (x, y) in colour color, ending at point i.
    void DrawSegment(int i, int x, int y, platform::TColor color);
    void DrawRoof(int x, int y, platform::TColor color);
    void StartAtFirstVisible(int i, int x, int y, platform::TColor color);
};

}  // namespace tallyhouse::chart
