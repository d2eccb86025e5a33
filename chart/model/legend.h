// The legend: one line per point (or per series) with a colour box, drawn flat at a side of the
// plot rectangle, which it then shrinks.
#pragma once

#include <string>

#include "chart/canvas/canvas3d.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TCustomChart;
class TChartSeries;

enum TLegendAlignment { laLeft, laRight, laTop, laBottom };
enum TLegendStyle { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendTextStyle { ltsPlain, ltsLeftValue, ltsRightValue, ltsLeftPercent, ltsRightPercent, ltsXValue };

class TCustomChartLegend {
public:
    explicit TCustomChartLegend(TCustomChart& chart);
    virtual ~TCustomChartLegend() = default;
    TCustomChartLegend(const TCustomChartLegend&) = delete;
    TCustomChartLegend& operator=(const TCustomChartLegend&) = delete;

    bool Visible = true;
    TLegendAlignment Alignment = laRight;
    TLegendStyle LegendStyle = lsAuto;
    TLegendTextStyle TextStyle = ltsLeftValue;
    bool Inverted = false;
    bool ResizeChart = true;
    int HorizMargin = 0;
    int VertMargin = 0;
    platform::TColor Color = platform::clWhite;
    platform::TFont Font;
    TChartPen Frame;
    platform::TColor ShadowColor = platform::clBlack;
    int ShadowSize = 3;
    TChartHiddenPen DividingLines;

    int ColorWidth() const { return colorWidth_; }
    int TopPos() const { return topPos_; }
    int FirstValue() const { return firstValue_; }
    void SetColorWidth(int value);
    void SetTopPos(int value);
    void SetFirstValue(int value);

    // Results of the last draw.
    platform::TRect LegendRect;
    int BoxWidth = 0;

    TLegendStyle ResolvedStyle() const;
    int ShownItemCount() const;
    std::string ItemText(int index) const;
    // Draws the legend at its side of the plot rectangle and takes its room from it.
    void PaintLegend();

private:
    struct Layout;
    int WidestText(int first, int count) const;
    TChartSeries* ItemSeries(int index) const;
    int ItemsPerRow(int itemWidth) const;
    void MeasureVertical(Layout& layout) const;
    void MeasureHorizontal(Layout& layout);
    void DrawFrameAndShadow(const Layout& layout);
    void DrawItems(const Layout& layout);
    void DrawColorBox(int index, const platform::TRect& box, platform::TColor boxPen);
    void ShrinkPlot(const Layout& layout);

    TCustomChart& chart_;
    int colorWidth_ = 12;
    int topPos_ = 10;
    int firstValue_ = 0;
};

class TChartLegend : public TCustomChartLegend {
public:
    using TCustomChartLegend::TCustomChartLegend;
};

}  // namespace tallyhouse::chart
