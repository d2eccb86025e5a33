// The seven bar shapes in 2D and 3D, written once for both orientations: a bar is drawn from its
// two edges on the category axis and two pixels on the value axis, which the orientation places.
#include "chart/series/custom_bar_series.h"

#include "chart/model/chart.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TPoint TCustomBarSeries::BarPoint(int category, int value) const {
    return IsVertical() ? Point(category, value) : Point(value, category);
}

TRect TCustomBarSeries::BarRect(int from, int to) const {
    return IsVertical() ? Rect(BarLeft, from, BarRight, to) : Rect(from, BarTop, to, BarBottom);
}

void TCustomBarSeries::PrepareBarBrush() {
    TCustomChart& chart = *ParentChart();
    TRasterCanvas3D& canvas = Canvas();
    canvas.AssignChartPen(BarPen);
    if (BarBrush.Bitmap) {
        canvas.Brush.Bitmap = BarBrush.Bitmap;
        return;
    }
    const TColor back = BarBrush.Color == AutoColor ? chart.Color : BarBrush.Color;
    chart.SetBrushForFill(BarColor, BarBrush.Style, back);
}

TBarStyle TCustomBarSeries::ShapeOf(int i) {
    TBarStyle style = BarStyle;
    if (OnGetBarStyle) OnGetBarStyle(*this, i, style);
    return style;
}

void TCustomBarSeries::DrawBar(int i, int start, int end) {
    PrepareBarBrush();
    const TBarStyle style = ShapeOf(i);
    if (ParentChart()->View3D)
        DrawBar3D(style, start, end);
    else
        DrawBar2D(style, start, end);
}

void TCustomBarSeries::DrawBar3D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const bool vertical = IsVertical();
    const TRect bar = BarRect(start, end);
    switch (style) {
        case TBarStyle::bsPyramid:
            canvas.Pyramid3D(vertical, bar.Left, bar.Top, bar.Right, bar.Bottom, StartZ, EndZ, Dark3D);
            break;
        case TBarStyle::bsInvPyramid: {
            const TRect inverted = BarRect(end, start);
            canvas.Pyramid3D(vertical, inverted.Left, inverted.Top, inverted.Right, inverted.Bottom, StartZ, EndZ,
                             Dark3D);
            break;
        }
        case TBarStyle::bsCilinder:
            canvas.Cylinder3D(vertical, bar.Left, bar.Top, bar.Right, bar.Bottom, StartZ, EndZ, Dark3D);
            break;
        case TBarStyle::bsEllipse:
            canvas.EllipseAtZ(bar.Left, bar.Top, bar.Right, bar.Bottom, MiddleZ);
            break;
        case TBarStyle::bsArrow:  // one arrow in the middle plane, as in 2D
            DrawBar2D(style, start, end);
            break;
        case TBarStyle::bsRectGradient:
            canvas.Box3D(bar.Left, bar.Right, bar.Top, bar.Bottom, StartZ, EndZ, Dark3D);
            if (canvas.OrthoView()) {
                const TPoint a = canvas.ProjectPointOut(bar.Left, bar.Top, StartZ);
                const TPoint b = canvas.ProjectPointOut(bar.Right, bar.Bottom, StartZ);
                canvas.GradientFillRect(Rect(a.X, a.Y, b.X, b.Y), clWhite, vertical ? gdBottomTop : gdLeftRight,
                                        BarColor);
            }
            break;
        default:
            canvas.Box3D(bar.Left, bar.Right, bar.Top, bar.Bottom, StartZ, EndZ, Dark3D);
    }
}

void TCustomBarSeries::DrawBar2D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const bool vertical = IsVertical();
    const TRect bar = BarRect(start, end);
    const int low = vertical ? BarLeft : BarTop;
    const int high = vertical ? BarRight : BarBottom;
    const int mid = (low + high) / 2;
    // Values grow upwards on a vertical bar and to the right on a horizontal one: the tip is the
    // value end of a positive bar, the foot its origin.
    const int tip = vertical ? start : end;
    const int foot = vertical ? end : start;
    switch (style) {
        case TBarStyle::bsPyramid: {
            const TPoint p[] = {BarPoint(low, foot), BarPoint(mid, tip), BarPoint(high, foot)};
            canvas.Polygon(p);
            break;
        }
        case TBarStyle::bsInvPyramid: {
            const TPoint p[] = {BarPoint(low, tip), BarPoint(mid, foot), BarPoint(high, tip)};
            canvas.Polygon(p);
            break;
        }
        case TBarStyle::bsEllipse:
            canvas.Ellipse(bar.Left, bar.Top, bar.Right, bar.Bottom);
            break;
        case TBarStyle::bsArrow:
            canvas.Arrow3D(true, BarPoint(mid, foot), BarPoint(mid, tip), BarWidth, BarWidth / 2, MiddleZ);
            break;
        case TBarStyle::bsRectGradient:
            canvas.GradientFillRect(bar, clWhite, vertical ? gdBottomTop : gdLeftRight, BarColor);
            break;
        default:
            DrawBarRectangle(bar.Left, bar.Top, bar.Right, bar.Bottom);
    }
}

void TCustomBarSeries::DrawBarRectangle(int left, int top, int right, int bottom) {
    TRasterCanvas3D& canvas = Canvas();
    if (BarBrush.Style == TBrushStyle::bsSolid) {
        const bool flat = right == left || bottom == top;
        const bool thin = right - left < canvas.Pen.Width || bottom - top < canvas.Pen.Width;
        if (flat || thin) {
            canvas.Pen.Color = canvas.Brush.Color;
            if (canvas.Pen.Style == psClear) canvas.Pen.Style = psSolid;
        }
        if (flat)
            canvas.Line(left, top, right, bottom);
        else if (thin)
            canvas.Brush.Style = TBrushStyle::bsClear;
    }
    canvas.Rectangle(left, top, right, bottom);
}

}  // namespace tallyhouse::chart
