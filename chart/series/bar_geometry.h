// Bar shapes, stacking modes and the pure geometry of bars: thickness, category placement, value range.
#pragma once

namespace tallyhouse::chart {

enum class TBarStyle { bsRectangle, bsPyramid, bsInvPyramid, bsCilinder, bsEllipse, bsArrow, bsRectGradient };
enum TMultiBar { mbNone, mbSide, mbStacked, mbStacked100 };

// Thickness of one bar: a share of the per-point slot, split among side-by-side groups, made even.
int BarWidthFor(int slot, int widthPercent, int groups);

// Shift from the category pixel to the bar's leading edge (left for vertical, top for horizontal
// bars). order counts from 1 among the side-by-side series; groups is how many there are.
int BarEdgeOffset(TMultiBar multiBar, bool vertical, int order, int groups, int barWidth, int offsetPercent);

struct TBarValueRange {
    double Lowest = 0;
    double Highest = 0;
};

// The value axis' range of a bar series: highest and lowest value, the stacked top (largest value
// plus the sum below it), and the origin the bars start from.
TBarValueRange BarValueRange(TMultiBar multiBar, double lowest, double highest, double stackedTop,
                             bool useOrigin, double origin);

}  // namespace tallyhouse::chart
