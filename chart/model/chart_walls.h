// The walls of the plot area: the back wall (in 2D the framed plot rectangle), the left wall
// and the floor of the 3D box.
#pragma once

#include "chart/canvas/canvas3d.h"

namespace tallyhouse::chart {

struct TChartWall {
    platform::TColor Color = platform::AutoColor;
    platform::TBrush Brush;
    TChartPen Pen;
    int Size = 0;
};

}  // namespace tallyhouse::chart
