// TPieSeries: one slice per point, proportional to its value, counter-clockwise from 3 o'clock,
// with marks outside the rim; a disc as thick as the depth slot in 3D.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/series/circled_series.h"

namespace tallyhouse::chart {

class TPieSeries;

// Grouping of small slices into one extra slice at the end.
class TPieOtherSlice {
public:
    explicit TPieOtherSlice(TPieSeries& owner) : owner_(owner) {}

    TPieOtherStyle Style() const { return style_; }
    void SetStyle(TPieOtherStyle value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    double Value() const { return value_; }
    void SetValue(double value);

private:
    TPieSeries& owner_;
    TPieOtherStyle style_ = poNone;
    std::string text_ = "Weitere";
    double value_ = 0;
};

// Explode percentage per point index; missing entries read 0.
class TExplodedSlices {
public:
    explicit TExplodedSlices(TPieSeries& owner) : owner_(owner) {}
    int Value(int i) const;
    void SetValue(int i, int percent);
    void Clear() { percents_.clear(); }
    int Count() const { return static_cast<int>(percents_.size()); }

private:
    TPieSeries& owner_;
    std::vector<int> percents_;
};

class TPieSeries : public TCircledSeries {
public:
    TPieSeries();

    bool Dark3D = true;
    int ExplodeBiggest = 0;
    TPieOtherSlice OtherSlice{*this};
    TChartPen PiePen;
    bool UsePatterns = false;
    TChartValueList& PieValues() { return YValues; }
    TExplodedSlices ExplodedSlice{*this};

    // Angles of the current draw, one per point.
    std::vector<TPieAngle> Angles;
    bool AnyExploded = false;
    int SliceStartX = 0;
    int SliceStartY = 0;

    void ClearStorage() override;
    void PrepareForChart() override;
    void DrawPoints() override;
    void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override;
    void DrawPoint(int i) override;
    int LegendItemCount() const override;
    int LegendItemToPoint(int row) const override;
    int DefaultSampleCount() const override { return 8; }
    void LegendFill(int i, platform::TColor& backColor, platform::TBrushStyle& brushStyle) override;
    bool ClassIncludes(const TChartSeries& s) const override;

    void DrawSlice(int i);
    // A point whose value went into the other slice: no slice, no mark, no legend row.
    bool IsGrouped(int i) const { return XValues.Value(i) == -1; }
    static platform::TBrushStyle SlicePattern(int i);

private:
    void RenumberAndGroup();
    // Whether slice i is drawn in 3D, and where, without exploded slices.
    bool DrawnIn3D(int i) const;
    TPieArcEnds ArcEndsOf(int i, const TPieArcEnds* before = nullptr) const;
    TPieSliceGeometry ShapeOf(int i);
    void DrawSlicesSeenIn3D();
    // Whether slices i and i + 1, with these arc ends, are sure to cover the same pixels.
    bool SameShape(int i, const TPieArcEnds& ends, const TPieArcEnds& next);
    // The points that are not grouped, in order: the legend's rows. Kept until XValues change.
    const std::vector<int>& LegendPoints() const;
    void CalcAngles();
    void ShrinkForExplodedSlices(int mostExploded);
    // Offset of an exploded slice's centre (screen x right, y up).
    platform::TPoint ExplodeOffset(int i) const;
    int MostExplodedSlice() const;
    void DrawSlice3D(int i, platform::TPoint offset);
    void DrawSlice2D(int i, platform::TPoint offset);

    mutable std::vector<int> legendPoints_;
    mutable unsigned long legendPointsVersion_ = ~0ul;
    mutable int legendPointsCount_ = -1;
};

}  // namespace tallyhouse::chart
