// The drawing steps every series type shares: the visible range, the point loop, the mark layout
// and the legend symbol.
#include <algorithm>

#include "chart/model/chart.h"
#include "chart/model/chart_series.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

int TChartSeries::PointPixelX(int i) const { return GetHorizAxis()->ValueToPixel(PointX(i)); }

int TChartSeries::PointPixelY(int i) const { return GetVertAxis()->ValueToPixel(PointY(i)); }

void TChartSeries::BeginDrawPoints() {
    if (BeforeDrawValues) BeforeDrawValues(*this);
}

void TChartSeries::EndDrawPoints() {
    if (AfterDrawValues) AfterDrawValues(*this);
}

void TChartSeries::DrawPoints() {
    if (FirstVisible < 0) return;
    if (DrawsPointsForward()) {
        for (int i = FirstVisible; i <= LastVisible; ++i) {
            parentChart_->DrawingGoesOn(i);
            DrawPoint(i);
        }
    } else {
        for (int i = LastVisible; i >= FirstVisible; --i) {
            parentChart_->DrawingGoesOn(i);
            DrawPoint(i);
        }
    }
}

namespace {

// The value at the start (or far) edge of the plot along an axis.
double EdgeValue(const TCustomChartAxis& axis, const TRect& plot, bool start) {
    if (axis.IsHorizontal()) return axis.PixelToValue(start != axis.Inverted ? plot.Left : plot.Right);
    return axis.PixelToValue(start != axis.Inverted ? plot.Bottom : plot.Top);
}

}  // namespace

void TChartSeries::CalcVisiblePoints() {
    FirstVisible = LastVisible = -1;
    const int count = PointCount();
    if (count == 0) return;
    const bool mainIsY = &MainValues() == &YValues;
    const TChartValueList& list = mainIsY ? XValues : YValues;
    const TChartAxis* axis = mainIsY ? GetHorizAxis() : GetVertAxis();
    if (!RestrictToAxisRange || list.Order == loNone || !axis) {
        FirstVisible = 0;
        LastVisible = count - 1;
        return;
    }
    const TRect& plot = parentChart_->PlotRect;
    const double low = EdgeValue(*axis, plot, true);
    int first = 0;
    while (first < count && list.Value(first) < low) ++first;
    if (first == count) return;
    const double high = EdgeValue(*axis, plot, false);
    int last = count - 1;
    if (list.LastValue() > high) {
        last = first;
        while (last < count - 1 && list.Value(last) < high) ++last;
        if (!IncludeNextPoint && list.Value(last) > high) --last;
    }
    FirstVisible = first;
    LastVisible = last;
}

// Many more marks than places for them put whole runs of marks on the same pixels: only the last
// mark of such a run is drawn, which gives the same picture.
void TChartSeries::DrawMarks() {
    Marks.HoldMarks();
    try {
        LayOutMarks();
    } catch (...) {
        Marks.DropHeldMark();
        throw;
    }
    Marks.DrawHeldMark();
}

void TChartSeries::LayOutMarks() {
    TRasterCanvas3D& canvas = Canvas();
    canvas.Font = Marks.Font;
    if (parentChart_->View3D)
        canvas.Font.Size = std::max(1, Round(Marks.Font.Size * parentChart_->View3DOptions.Zoom / 100.0));
    const TFont font = canvas.Font;
    const int frame = 2 * Marks.FrameExtent();
    const int widthOfW = canvas.TextWidth("W");
    const int lineHeight = canvas.FontHeight();
    Marks.Positions.Reserve(LastVisible + 1);
    for (int i = FirstVisible; i >= 0 && i <= LastVisible; ++i) {
        parentChart_->DrawingGoesOn(i);
        if (PointColor(i) == clNone) continue;
        const std::string text = MarkText(i);
        if (text.empty()) continue;
        // A series' own PaintMark may select another font: each mark starts from the marks font.
        canvas.Font = font;
        TSeriesMarkPosition position;
        position.BoxWidth = widthOfW + WidestLine(canvas, text) + frame;
        position.BoxHeight = LineCount(text) * lineHeight + frame;
        position.ArrowEnd = TPoint{PointPixelX(i), PointPixelY(i)};
        position.ArrowStart = position.ArrowEnd;
        position.BoxLeftTop = TPoint{position.ArrowEnd.X - position.BoxWidth / 2,
                                     position.ArrowEnd.Y - position.BoxHeight + 1};
        PaintMark(i, text, position);
    }
}

void TChartSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    Marks.DrawMark(i, text, position, PointColor(i));
}

void TChartSeries::PaintLegendSymbol(int i, const TRect& rect) {
    if (i == -1 && colorEachPoint_) return;
    const TColor color = i == -1 ? seriesColor_ : PointColor(i);
    if (color == clNone) return;
    const TColor legendColor = parentChart_->Legend.Color;
    TColor back = legendColor;
    TBrushStyle style = TBrushStyle::bsSolid;
    LegendFill(i, back, style);
    if (back == AutoColor) back = legendColor;
    if (back == AutoColor) back = parentChart_->Color;
    parentChart_->SetBrushForFill(color, style, back);
    PaintLegendBox(i, rect);
    if (color != legendColor) return;
    TRasterCanvas3D& canvas = Canvas();
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.Pen.Color = color == clBlack ? clWhite : clBlack;
    PaintLegendBox(i, rect);
    canvas.Pen.Color = clBlack;
}

void TChartSeries::PaintLegendBox(int, const TRect& rect) { Canvas().RectangleR(rect); }

}  // namespace tallyhouse::chart
