// Area bands: stacking, value range, the filled front faces and the closing side wall in 3D.
#include "chart/series/area_series.h"

#include <algorithm>

#include "chart/model/chart.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TAreaSeries::TAreaSeries() { DrawArea = true; }

bool TAreaSeries::ClassIncludes(const TChartSeries& s) const { return dynamic_cast<const TAreaSeries*>(&s) != nullptr; }

void TAreaSeries::SetMultiArea(TMultiArea value) {
    if (value == multiArea_) return;
    multiArea_ = value;
    Repaint();
}

TColor TAreaSeries::AreaFillColor(TColor color) const {
    return ColorEachPoint() || AreaColor == AutoColor ? color : AreaColor;
}

double TAreaSeries::HighestY() const {
    if (multiArea_ == maStacked100) return 100;
    double highest = YValues.HighestValue();
    if (multiArea_ == maStacked)
        for (int i = 0; i < PointCount(); ++i) highest = std::max(highest, PointY(i) + StackedSum(i, false));
    return highest;
}

double TAreaSeries::LowestY() const { return multiArea_ == maStacked100 ? 0 : YValues.LowestValue(); }

int TAreaSeries::StackedPixel(double value, int i) const {
    const auto stacked = StackedAreaValue(multiArea_, value, StackedSum(i, false),
                                          multiArea_ == maStacked100 ? StackedSum(i, true) : 0);
    return stacked ? GetVertAxis()->ValueToPixel(*stacked) : 0;
}

int TAreaSeries::PointPixelY(int i) const {
    if (multiArea_ == maNone) return TCustomSeries::PointPixelY(i);
    return StackedPixel(PointY(i), i);
}

int TAreaSeries::BottomPixel(int i) const {
    if (multiArea_ == maNone) return TCustomSeries::BottomPixel(i);
    return StackedPixel(0, i);
}

void TAreaSeries::ClaimDepthSlot() {
    // A stacked area lies in the slot of the series before it; the first series claims one.
    const TCustomChart* chart = ParentChart();
    if (multiArea_ != maNone && chart && chart->TopZOrder >= 0)
        ZOrder = chart->TopZOrder;
    else
        TCustomSeries::ClaimDepthSlot();
}

void TAreaSeries::LegendFill(int i, TColor& backColor, TBrushStyle& brushStyle) {
    backColor = AreaFillColor(i == -1 ? SeriesColor() : PointColor(i));
    Canvas().AssignChartPen(AreaLinesPen);
    brushStyle = AreaBrush;
}

void TAreaSeries::DrawFrontFace(int i, int x, int y, TColor color) {
    TCustomChart& chart = *ParentChart();
    TRasterCanvas3D& canvas = Canvas();
    const TColor fill = AreaFillColor(color);
    canvas.AssignChartPen(AreaLinesPen);
    if (AreaLinesPen.Color == AutoColor || !AreaLinesPen.Visible) canvas.Pen.Color = color;
    chart.SetBrushForFill(fill, AreaBrush, SeriesColor());
    if (chart.View3D && i == LastVisible) canvas.VertPlane(x, y, Bottom, StartZ, EndZ);
    if (Stairs) {
        const int step = InvertedStairs ? y : OldY;
        canvas.RectAtZ(Rect(OldX, step, x + 1, Bottom), StartZ);
    } else {
        canvas.QuadAtZ(Point(OldX, OldBottom), Point(OldX, OldY), Point(x, y), Point(x, Bottom), StartZ);
    }
}

}  // namespace tallyhouse::chart
