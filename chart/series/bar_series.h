// TBarSeries: vertical bars standing on the horizontal (category) axis.
#pragma once

#include "chart/series/custom_bar_series.h"

namespace tallyhouse::chart {

class TBarSeries : public TCustomBarSeries {
public:
    TBarSeries();

    int CustomBarWidth = 0;  // fixed bar width in pixels, 0 = automatic

    void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override;
    double HighestY() const override { return ValueRange().Highest; }
    double LowestY() const override { return ValueRange().Lowest; }
    int PointPixelX(int i) const override { return CategoryEdgePixel(PointX(i)); }
    int PointPixelY(int i) const override { return ValueEndPixel(i); }
    bool ClassIncludes(const TChartSeries& s) const override;

    int MarkExtent(int i) const override;
    int SlotSize(int n) const override;

protected:
    bool IsVertical() const override { return true; }
    int CustomThickness() const override { return CustomBarWidth; }
};

}  // namespace tallyhouse::chart
