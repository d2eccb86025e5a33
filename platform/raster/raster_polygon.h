// Even-odd polygon filling by pixel centres, limited to the rows a span set can see.
#pragma once

#include <span>

#include "platform/raster/geometry.h"
#include "platform/raster/raster_spans.h"

namespace tallyhouse::platform {

// A pixel is inside when its centre is; a centre exactly on an edge belongs to the polygon on
// the edge's right, so polygons sharing an edge cover each pixel once.
void AddPolygonSpans(std::span<const TPoint> points, TSpanSet& spans);

}  // namespace tallyhouse::platform
