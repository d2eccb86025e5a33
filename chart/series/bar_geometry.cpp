// The pure geometry of bars, shared by vertical and horizontal bar series.
#include "chart/series/bar_geometry.h"

#include <algorithm>

#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

int BarWidthFor(int slot, int widthPercent, int groups) {
    int width = Round(slot * widthPercent * 0.01L) / std::max(1, groups);
    if (width > 0 && width % 2 != 0) ++width;
    return width;
}

int BarEdgeOffset(TMultiBar multiBar, bool vertical, int order, int groups, int barWidth, int offsetPercent) {
    int offset;
    if (multiBar == mbSide) {
        const long double slots = vertical ? order - groups * 0.5L - 1 : groups * 0.5L - order;
        offset = Round(slots * barWidth);
    } else {
        offset = -(barWidth / 2);
    }
    if (offsetPercent != 0) offset += Round(static_cast<long double>(offsetPercent) * barWidth / 100);
    return offset;
}

TBarValueRange BarValueRange(TMultiBar multiBar, double lowest, double highest, double stackedTop,
                             bool useOrigin, double origin) {
    if (multiBar == mbStacked100) return {0, 100};
    TBarValueRange range{lowest, highest};
    if (multiBar == mbStacked) range.Highest = std::max(range.Highest, stackedTop);
    if (useOrigin) {
        range.Highest = std::max(range.Highest, origin);
        range.Lowest = std::min(range.Lowest, origin);
    }
    return range;
}

}  // namespace tallyhouse::chart
