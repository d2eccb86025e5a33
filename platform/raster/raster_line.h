// Lines as pixel spans: one-pixel lines with dash patterns, and wide lines with round ends.
#pragma once

#include "platform/raster/pen_brush.h"
#include "platform/raster/raster_spans.h"

namespace tallyhouse::platform {

// Run lengths in pixels, alternating drawn and gap, repeating along the line; null for solid.
struct TDashPattern {
    const int* Runs;
    int Count;
};
const TDashPattern* DashPatternFor(TPenStyle style);

// The pixels from A up to but not including B; dash gaps go into gaps when it is given. The dash
// pattern starts at step phase; returns the phase for a following segment.
long long AddThinLine(long long x0, long long y0, long long x1, long long y1, const TDashPattern* dash, long long phase,
                      TSpanSet& drawn, TSpanSet* gaps);

// Every pixel whose centre is closer than width / 2 to the segment A-B (both ends included).
void AddWideLine(long long x0, long long y0, long long x1, long long y1, long long width, TSpanSet& spans);

}  // namespace tallyhouse::platform
