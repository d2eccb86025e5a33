// The chart's title above the plot and its foot below it: lines of text that take their room
// from the plot rectangle.
#pragma once

#include <string>
#include <vector>

#include "chart/canvas/canvas3d.h"
#include "chart/model/chart_brush.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TCustomChart;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TChartTitle {
public:
    TChartTitle(TCustomChart& chart, bool atTop);
    TChartTitle(const TChartTitle&) = delete;
    TChartTitle& operator=(const TChartTitle&) = delete;

    std::vector<std::string> Text;
    bool Visible = true;
    TAlignment Alignment = taCenter;
    platform::TFont Font;
    TChartBrush Brush;
    TChartHiddenPen Frame;
    bool AdjustFrame = true;

    // The rectangle of the last draw.
    platform::TRect TitleRect;

    // Draws the title at the top (or the foot at the bottom) of the plot rectangle and shrinks it.
    void PaintTitle();

private:
    int FrameWidth() const;
    void AdjustToFrame(int widest, int fw);
    void DrawLines(int fh, int y, int e);

    TCustomChart& chart_;
    bool atTop_;
};

}  // namespace tallyhouse::chart
