// Bevel and border kinds of the chart panel, and the bevelled frame drawn around it.
#pragma once

#include "platform/raster/color.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TRasterCanvas3D;

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBorderStyle { bsNone, bsSingle };

// The outer bevel, the border in the panel colour and the inner bevel, nested from the outside in.
void PaintPanelFrame(TRasterCanvas3D& canvas, platform::TRect rect, TPanelBevel outer, TPanelBevel inner,
                     int bevelWidth, int borderWidth, platform::TColor panelColor);

}  // namespace tallyhouse::chart
