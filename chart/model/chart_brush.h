// A brush setting of a chart part: a canvas brush whose colour starts unset (drawn as clear or
// taken from the owner).
#pragma once

#include "platform/raster/pen_brush.h"

namespace tallyhouse::chart {

struct TChartBrush : platform::TBrush {
    TChartBrush() { Color = platform::AutoColor; }
};

}  // namespace tallyhouse::chart
