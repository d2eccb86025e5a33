// The chart's pens: a canvas pen that can be hidden, and the preset pens of grids, axes and arrows.
#pragma once

#include "platform/raster/pen_brush.h"

namespace tallyhouse::chart {

struct TChartPen : platform::TPen {
    bool Visible = true;
};

struct TChartHiddenPen : TChartPen {
    TChartHiddenPen() { Visible = false; }
};

struct TDottedGrayPen : TChartPen {
    TDottedGrayPen() {
        Color = platform::clGray;
        Style = platform::psDot;
    }
};

struct TDarkGrayPen : TChartPen {
    TDarkGrayPen() { Color = platform::clGray; }
};

struct TChartAxisPen : TChartPen {
    TChartAxisPen() { Width = 2; }
};

struct TChartArrowPen : TChartPen {
    TChartArrowPen() { Color = platform::clWhite; }
};

}  // namespace tallyhouse::chart
