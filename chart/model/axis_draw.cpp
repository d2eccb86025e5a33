// Drawing of one axis: title, labels with their ticks and grid lines, then the axis line.
#include <cmath>

#include "chart/model/axis.h"
#include "chart/model/chart.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

void TCustomChartAxis::DrawAxis() {
    chart_.AssignCanvasFont(LabelsFont);
    const double inc = ComputeIncrement();
    const TRect& plot = chart_.PlotRect;
    switch (side_) {
        case Side::Bottom: LinePos = plot.Bottom; break;
        case Side::Top: LinePos = plot.Top; break;
        case Side::Left: LinePos = plot.Left; break;
        case Side::Right:
        case Side::Depth: LinePos = plot.Right; break;
    }
    DrawTitle();
    hasPrevious_ = hasPreviousTick_ = false;
    if (inc > 0 && RangeMax >= RangeMin) {
        chart_.AssignCanvasFont(LabelsFont);
        const TAxisLabelStyle style = EffectiveLabelStyle();
        if (style == talValue)
            DrawValueLabels(inc);
        else if (style == talText || style == talMark)
            DrawTextLabels(style);
    }
    DrawLine();
}

void TCustomChartAxis::DrawTitle() {
    if (Title.Caption.empty()) return;
    TRasterCanvas3D& canvas = chart_.Canvas();
    chart_.AssignCanvasFont(Title.Font);
    canvas.Brush.Style = TBrushStyle::bsClear;
    const bool horizontal = IsHorizontal();
    const int x = horizontal ? chart_.PlotXCenter : TitleEdge;
    const int y = horizontal ? TitleEdge : chart_.PlotYCenter;
    const bool towardsPlot = side_ == Side::Bottom;
    canvas.SetTextAlign(TA_CENTER | (towardsPlot ? TA_TOP : TA_BOTTOM));
    if (Title.Angle == 0)
        canvas.TextAtZ(x, y, 0, Title.Caption);
    else
        canvas.RotatedTextAtZ(x, y, 0, Title.Caption, Title.Angle);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
}

void TCustomChartAxis::DrawValueLabel(double v) {
    const int pixel = ValueToPixel(v);
    std::string text = LabelText(v);
    if (chart_.OnGetAxisLabel) chart_.OnGetAxisLabel(*this, nullptr, -1, text);
    if (!TickOnLabelsOnly) DrawTicksAndGrid(pixel, v);
    DrawLabelAt(pixel, v, text, false);
}

void TCustomChartAxis::DrawValueLabels(double inc) {
    // An empty range has its one label even where the tiny increment would count too many steps.
    if (RangeMin == RangeMax) {
        DrawValueLabel(RangeMax);
        return;
    }
    if (std::fabs(RangeMax / inc) >= 2147483647.0 || std::fabs(RangeSpan / inc) >= 10000) return;
    double v = RoundFirstLabel ? std::trunc(RangeMax / inc) * inc : RangeMax;
    // Repeated subtraction drifts for fractional steps; a tiny tolerance keeps the end labels.
    const double tolerance = inc * 1e-9;
    const bool onAxis = LabelsOnAxis;
    while (onAxis ? v > RangeMax + tolerance : v >= RangeMax - tolerance) v -= inc;
    while (onAxis ? v >= RangeMin - tolerance : v > RangeMin + tolerance) {
        DrawValueLabel(v);
        v -= inc;
    }
}

void TCustomChartAxis::DrawTextLabels(TAxisLabelStyle style) {
    TChartSeries* series = nullptr;
    if (style == talMark) {
        for (TChartSeries* s : chart_.SeriesList)
            if (s->Active() && s->UsesAxis(*this)) {
                series = s;
                break;
            }
    } else {
        series = FirstSeries();
    }
    if (!series) return;
    for (int i = 0; i < series->PointCount(); ++i) {
        const double value = IsHorizontal() ? series->PointX(i) : series->PointY(i);
        if (value < RangeMin || value > RangeMax) continue;
        const int pixel = ValueToPixel(value);
        if (!TickOnLabelsOnly) DrawTicksAndGrid(pixel, value);
        if (!Labels) continue;
        std::string text = style == talMark ? series->MarkText(i) : series->PointLabel(i);
        if (chart_.OnGetAxisLabel) chart_.OnGetAxisLabel(*this, series, i, text);
        chart_.AssignCanvasFont(LabelsFont);
        DrawLabelAt(pixel, value, text, LabelsSeparation() != 0 && hasPrevious_);
    }
}

bool TCustomChartAxis::DrawLabelAt(int pixel, double value, const std::string& text, bool check) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    const bool upright = LabelsAngle() == 90 || LabelsAngle() == 270;
    int f = IsHorizontal() != upright ? canvas.TextWidth(text) : canvas.FontHeight();
    f += Trunc(f * 0.02 * LabelsSeparation());
    const int h = f / 2;
    if (check) {
        const int q = previousPixel_, hq = previousHalf_;
        const bool fits = pixel < q ? q - hq >= pixel + h : pixel - h >= q + hq;
        previousHalf_ = h;
        if (!fits) return false;
    }
    if (TickOnLabelsOnly) DrawTicksAndGrid(pixel, value);
    if (Labels) {
        chart_.AssignCanvasFont(LabelsFont);
        DrawLabelText(pixel, text);
    }
    previousPixel_ = pixel;
    previousHalf_ = h;
    hasPrevious_ = true;
    return true;
}

void TCustomChartAxis::DrawTicksAndGrid(int pixel, double value) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    if (Ticks.Visible) {
        canvas.AssignChartPen(Ticks);
        DrawTick(pixel, 1, TickLength);
    }
    if (Grid.Visible && value != RangeMin && value != RangeMax) {
        if (!GridCentered)
            DrawGridLine(pixel);
        else if (hasPreviousTick_)
            DrawGridLine(Round((pixel + previousTick_) * 0.5));
    }
    if (TicksInner.Visible) {
        canvas.AssignChartPen(TicksInner);
        DrawTick(pixel, -1, -TickInnerLength);
    }
    if (MinorTicks.Visible && hasPreviousTick_) {
        canvas.AssignChartPen(MinorTicks);
        for (int i = 1; i <= MinorTickCount; ++i)
            DrawTick(pixel - Round(static_cast<double>(pixel - previousTick_) / (MinorTickCount + 1) * i), 1,
                     MinorTickLength);
    }
    previousTick_ = pixel;
    hasPreviousTick_ = true;
}

void TCustomChartAxis::DrawTick(int pixel, int offset, int length) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    const int ws = WallSize();
    const int depth = chart_.DepthTotal;
    switch (side_) {
        case Side::Bottom:
            canvas.VertLineAtZ(pixel, LinePos + offset + ws, LinePos + offset + ws + length, 0);
            break;
        case Side::Left:
            canvas.HorizLineAtZ(LinePos - offset - ws, LinePos - offset - ws - length, pixel, 0);
            break;
        case Side::Top: canvas.VertLineAtZ(pixel, LinePos - offset, LinePos - offset - length, depth); break;
        case Side::Right: canvas.HorizLineAtZ(LinePos + offset, LinePos + offset + length, pixel, depth); break;
        case Side::Depth: break;
    }
}

void TCustomChartAxis::DrawGridLine(int pixel) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    canvas.AssignChartPen(Grid);
    if (Grid.Color == AutoColor) canvas.Pen.Color = clGray;
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.SetBkMode(TRANSPARENT);
    const TRect& plot = chart_.PlotRect;
    const int depth = chart_.DepthTotal;
    if (!chart_.View3D) {
        switch (side_) {
            case Side::Bottom: canvas.VertLine(pixel, LinePos - 1, plot.Top); break;
            case Side::Top: canvas.VertLine(pixel, LinePos + 1, plot.Bottom); break;
            case Side::Left: canvas.HorizLine(LinePos + 1, plot.Right, pixel); break;
            case Side::Right: canvas.HorizLine(LinePos - 1, plot.Left, pixel); break;
            case Side::Depth: break;
        }
    } else {
        const TPenStyle gridStyle = canvas.Pen.Style;
        switch (side_) {
            case Side::Bottom:
                canvas.Pen.Style = psSolid;
                canvas.DepthLine(pixel, LinePos, 0, depth);
                canvas.Pen.Style = gridStyle;
                canvas.VertLineAtZ(pixel, LinePos, plot.Top, depth);
                break;
            case Side::Left:
                canvas.Pen.Style = psSolid;
                canvas.DepthLine(LinePos, pixel, 0, depth);
                canvas.Pen.Style = gridStyle;
                canvas.HorizLineAtZ(LinePos, plot.Right, pixel, depth);
                break;
            case Side::Top: canvas.VertLineAtZ(pixel, LinePos, plot.Bottom, depth); break;
            case Side::Right: canvas.HorizLineAtZ(LinePos, plot.Left, pixel, depth); break;
            case Side::Depth: break;
        }
    }
    canvas.SetBkMode(OPAQUE);
}

void TCustomChartAxis::DrawLine() {
    if (!Axis.Visible) return;
    TRasterCanvas3D& canvas = chart_.Canvas();
    canvas.AssignChartPen(Axis);
    const TRect& plot = chart_.PlotRect;
    const int lws = chart_.WallSizeForAxis(chart_.LeftAxis);
    const int bws = chart_.WallSizeForAxis(chart_.BottomAxis);
    const int depth = chart_.DepthTotal;
    switch (side_) {
        case Side::Bottom: canvas.HorizLineAtZ(plot.Left - lws, plot.Right, LinePos + bws, 0); break;
        case Side::Left: canvas.VertLineAtZ(LinePos - lws, plot.Top, plot.Bottom + bws, 0); break;
        case Side::Top: canvas.HorizLineAtZ(plot.Left, plot.Right, LinePos, depth); break;
        case Side::Right: canvas.VertLineAtZ(LinePos, plot.Top, plot.Bottom, depth); break;
        case Side::Depth: canvas.DepthLine(plot.Right, plot.Bottom + bws, 0, depth); break;
    }
}

}  // namespace tallyhouse::chart
