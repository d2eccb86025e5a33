// TCustomBarSeries: what vertical and horizontal bars share: thickness, origin, stacking, depth slot.
#pragma once

#include <functional>
#include <optional>
#include <utility>

#include "chart/series/bar_geometry.h"
#include "chart/model/chart_series.h"

namespace tallyhouse::chart {

class TCustomBarSeries : public TChartSeries {
public:
    TCustomBarSeries();

    bool AutoMarkPosition = true;
    TChartBrush BarBrush;
    TChartPen BarPen;
    TBarStyle BarStyle = TBarStyle::bsRectangle;
    bool Dark3D = true;
    bool SideMargins = true;
    bool UseYOrigin = true;
    double YOrigin = 0;
    // May change the shape of one bar.
    std::function<void(TCustomBarSeries&, int, TBarStyle&)> OnGetBarStyle;

    int BarWidthPercent() const { return barWidthPercent_; }
    void SetBarWidthPercent(int value);
    int OffsetPercent() const { return offsetPercent_; }
    void SetOffsetPercent(int value);
    TMultiBar MultiBar() const { return multiBar_; }
    void SetMultiBar(TMultiBar value);

    // State of the current draw: the bar thickness and the bar being drawn.
    int BarWidth = 0;
    int BarLeft = 0;
    int BarTop = 0;
    int BarRight = 0;
    int BarBottom = 0;
    platform::TColor BarColor = platform::clNone;

    void BeginDrawPoints() override;
    // Draws the visible bars in turn, leaving out a bar that the next one covers exactly.
    void DrawPoints() override;
    void DrawPoint(int i) override;
    int DefaultSampleCount() const override { return 6; }
    double StackedSum(int i, bool includeSelf) const override;
    bool DrawsPointsForward() const override;
    bool DrawsSeriesForward(int i) const override;
    void ClaimDepthSlot() override;
    void LegendFill(int i, platform::TColor& backColor, platform::TBrushStyle& brushStyle) override;
    void HorizontalMargins(int& left, int& right) override;
    void VerticalMargins(int& top, int& bottom) override;

    // Computes BarWidth from the plot size and the series sharing the category positions.
    void CalcBarWidth();
    // Pixel on the value axis where bar i starts.
    int OriginPixel(int i) const;
    // Size of a mark across the value axis (-1: the largest of all points).
    virtual int MarkExtent(int i) const = 0;
    // The plot length along the category axis divided by n.
    virtual int SlotSize(int n) const = 0;
    // Draws bar i between two coordinates of the value axis, start < end.
    virtual void DrawBar(int i, int start, int end);

protected:
    virtual bool IsVertical() const = 0;
    // A fixed bar thickness in pixels (0: computed).
    virtual int CustomThickness() const = 0;
    TChartAxis* ValueAxis() const { return IsVertical() ? GetVertAxis() : GetHorizAxis(); }
    TChartAxis* CategoryAxis() const { return IsVertical() ? GetHorizAxis() : GetVertAxis(); }
    double BarValue(int i) const { return MainValues().Value(i); }
    // The leading edge of bar i on the category axis.
    int CategoryEdgePixel(double category) const;
    // The pixel on the value axis where bar i ends.
    int ValueEndPixel(int i) const;
    // The value axis' range for this series, with origin and stacking.
    TBarValueRange ValueRange() const;

private:
    // Where bar i lies: its rectangle and its two coordinates on the value axis.
    struct TBarPlace {
        bool drawn = false;  // the point has a colour
        platform::TRect rect;
        int start = 0;
        int end = 0;
        bool operator==(const TBarPlace&) const = default;
    };
    TBarPlace PlaceOf(int i) const;
    struct TEdgeOffset {
        TMultiBar multiBar;
        bool vertical;
        int order;
        int groups;
        int barWidth;
        int offsetPercent;
        bool operator==(const TEdgeOffset&) const = default;
    };
    mutable std::optional<std::pair<TEdgeOffset, int>> edgeOffset_;
    void DrawAt(int i, const TBarPlace& place);
    // A bar drawn where the one before lies, with the same shape, covers every pixel it painted:
    // true when the pens paint over what is beneath and each bar's shape is the stored one.
    bool LaterBarsHideEarlierOnes() const;
    // Room beside the plot for the marks at the value end: 0 without marks.
    int MarkRoom() const;
    // Groups that share the category positions: side-by-side series, else 1.
    int CategoryGroups() const;
    // Selects the brush of a bar (its bitmap, or colour, style and background).
    void PrepareBarBrush();
    TBarStyle ShapeOf(int i);
    // The raster point at a category pixel and a value pixel of the bar being drawn.
    platform::TPoint BarPoint(int category, int value) const;
    // The rectangle across the bar being drawn from value pixel `from` to value pixel `to`.
    platform::TRect BarRect(int from, int to) const;
    void DrawBar3D(TBarStyle style, int start, int end);
    void DrawBar2D(TBarStyle style, int start, int end);
    // The flat bar rectangle; a bar without width or height, or thinner than the pen, is drawn in
    // the brush colour.
    void DrawBarRectangle(int left, int top, int right, int bottom);
    // Room for whole (or half) bars at both ends of the category axis.
    void CategoryMargins(int& low, int& high);
    // Room for the marks at the value axis' ends: `farEnd` is where the values grow (top, right).
    void ValueMargins(int& nearEnd, int& farEnd);
    // Active series of this kind on the chart, and this one's place among them (1-based).
    int SideSeriesCount() const;
    int SideOrder() const;
    int LargestSidePointCount() const;
    int ValuePixel(double value) const;

    int barWidthPercent_ = 70;
    int offsetPercent_ = 0;
    TMultiBar multiBar_ = mbSide;
};

}  // namespace tallyhouse::chart
