// A colour gradient that may fill the panel background instead of its solid colour.
#pragma once

#include "chart/canvas/canvas3d.h"

namespace tallyhouse::chart {

struct TChartGradient {
    bool Visible = false;
    platform::TGradientDirection Direction = platform::gdTopBottom;
    platform::TColor StartColor = platform::clWhite;
    platform::TColor EndColor = platform::clYellow;
};

}  // namespace tallyhouse::chart
