// A colour gradient that may fill the panel background instead of its solid colour.
#pragma once

#include "chart/canvas/canvas3d.h"

struct TChartGradient {
    bool Visible = false;
    TGradientDirection Direction = gdTopBottom;
    TColor StartColor = clWhite;
    TColor EndColor = clYellow;
};
