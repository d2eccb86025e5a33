// TAreaSeries: points joined into a band filled down to the plot's bottom (or the series below),
// one segment per point in the colour of its right-hand point, with a roof and side wall in 3D.
#pragma once

#include "chart/series/area_geometry.h"
#include "chart/series/custom_series.h"

namespace tallyhouse::chart {

class TAreaSeries : public TCustomSeries {
public:
    TAreaSeries();

    platform::TBrushStyle AreaBrush = platform::TBrushStyle::bsSolid;
    platform::TColor AreaColor = platform::AutoColor;
    TChartPen AreaLinesPen;

    TMultiArea MultiArea() const { return multiArea_; }
    void SetMultiArea(TMultiArea value);

    double HighestY() const override;
    double LowestY() const override;
    int PointPixelY(int i) const override;
    void ClaimDepthSlot() override;
    void LegendFill(int i, platform::TColor& backColor, platform::TBrushStyle& brushStyle) override;
    bool ClassIncludes(const TChartSeries& s) const override;
    int BottomPixel(int i) const override;

protected:
    platform::TColor AreaFillColor(platform::TColor color) const override;
    void DrawFrontFace(int i, int x, int y, platform::TColor color) override;

private:
    // The pixel of a stacked value; pixel 0 when a percentage has no total.
    int StackedPixel(double value, int i) const;

    TMultiArea multiArea_ = maNone;
};

}  // namespace tallyhouse::chart
