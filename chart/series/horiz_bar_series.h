// THorizBarSeries: horizontal bars along the vertical (category) axis; the values are X values.
#pragma once

#include "chart/series/custom_bar_series.h"

namespace tallyhouse::chart {

class THorizBarSeries : public TCustomBarSeries {
public:
    THorizBarSeries();

    int CustomBarHeight = 0;  // fixed bar height in pixels, 0 = automatic

    void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override;
    double HighestX() const override { return ValueRange().Highest; }
    double LowestX() const override { return ValueRange().Lowest; }
    int PointPixelX(int i) const override { return ValueEndPixel(i); }
    int PointPixelY(int i) const override { return CategoryEdgePixel(PointY(i)); }
    double MarkValue(int i) const override { return PointX(i); }
    TChartValueList& MainValues() override { return XValues; }
    const TChartValueList& MainValues() const override { return XValues; }
    void FillSampleValues(int numValues) override;
    bool ClassIncludes(const TChartSeries& s) const override;

    int MarkExtent(int i) const override;
    int SlotSize(int n) const override;

protected:
    bool IsVertical() const override { return false; }
    int CustomThickness() const override { return CustomBarHeight; }
};

}  // namespace tallyhouse::chart
