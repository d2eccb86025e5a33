// The walls of the plot area: the back wall (in 2D the framed plot rectangle), the left wall
// and the floor of the 3D box.
#pragma once

#include "chart/canvas/canvas3d.h"

struct TChartWall {
    TColor Color = AutoColor;
    TBrush Brush;
    TChartPen Pen;
    int Size = 0;
};
