// Horizontal bars: placement along the vertical axis, shapes in 2D and 3D, marks after the bars.
#include "chart/series/horiz_bar_series.h"

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"

THorizBarSeries::THorizBarSeries() {
    XValues.Name = "Balken";
    XValues.Order = loNone;
}

bool THorizBarSeries::ClassIncludes(const TChartSeries& s) const {
    return dynamic_cast<const THorizBarSeries*>(&s) != nullptr;
}

void THorizBarSeries::FillSampleValues(int numValues) {
    if (numValues <= 0) throw BarException("FillSampleValues NumValues m\xFCssen > 0 sein.");
    TCustomBarSeries::FillSampleValues(numValues);
}

int THorizBarSeries::SlotSize(int n) const { return ParentChart()->PlotHeight / n; }

int THorizBarSeries::MarkExtent(int i) const {
    if (i == -1) return MaxMarkWidth();
    ParentChart()->AssignCanvasFont(Marks.Font);
    return Canvas().TextWidth(MarkText(i));
}

void THorizBarSeries::VerticalMargins(int& top, int& bottom) {
    CalcBarWidth();
    int margin = CategoryGroups() * BarWidth;
    if (!SideMargins) margin /= 2;
    top = bottom = margin;
}

void THorizBarSeries::HorizontalMargins(int& left, int& right) {
    left = right = 0;
    const int room = MarkRoom();
    if (UseYOrigin && XValues.LowestValue() < YOrigin) left += room;
    if (!UseYOrigin || XValues.HighestValue() > YOrigin) {
        if (GetHorizAxis()->Inverted)
            left += room;
        else
            right += room;
    }
}

void THorizBarSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    const int half = BarWidth / 2;
    int reach = Marks.ArrowLength;
    if (PointPixelX(i) < OriginPixel(i)) reach = -reach - position.BoxWidth;
    position.BoxLeftTop.X += reach + position.BoxWidth / 2;
    position.BoxLeftTop.Y += half + position.BoxHeight / 2;
    position.ArrowEnd.X += reach;
    position.ArrowEnd.Y += half;
    position.ArrowStart.Y += half;
    TChartSeries::PaintMark(i, text, position);
}

void THorizBarSeries::DrawBar(int i, int start, int end) {
    PrepareBarBrush();
    const TBarStyle style = ShapeOf(i);
    if (ParentChart()->View3D)
        DrawBar3D(style, start, end);
    else
        DrawBar2D(style, start, end);
}

void THorizBarSeries::DrawBar3D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const int mid = (BarTop + BarBottom) / 2;
    switch (style) {
        case bsPyramid:
            canvas.Pyramid3D(false, start, BarTop, end, BarBottom, StartZ, EndZ, Dark3D);
            break;
        case bsInvPyramid:
            canvas.Pyramid3D(false, end, BarTop, start, BarBottom, StartZ, EndZ, Dark3D);
            break;
        case bsCilinder:
            canvas.Cylinder3D(false, start, BarTop, end, BarBottom, StartZ, EndZ, Dark3D);
            break;
        case bsEllipse:
            canvas.EllipseAtZ(start, BarTop, end, BarBottom, MiddleZ);
            break;
        case bsArrow:
            canvas.Arrow3D(true, Point(start, mid), Point(end, mid), BarWidth, BarWidth / 2, MiddleZ);
            break;
        case bsRectGradient:
            canvas.Box3D(start, end, BarTop, BarBottom, StartZ, EndZ, Dark3D);
            if (canvas.OrthoView()) {
                const TPoint a = canvas.ProjectPointOut(start, BarTop, StartZ);
                const TPoint b = canvas.ProjectPointOut(end, BarBottom, StartZ);
                canvas.GradientFillRect(Rect(a.X, a.Y, b.X, b.Y), clWhite, gdLeftRight, BarColor);
            }
            break;
        default:
            canvas.Box3D(start, end, BarTop, BarBottom, StartZ, EndZ, Dark3D);
    }
}

void THorizBarSeries::DrawBar2D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const int mid = (BarTop + BarBottom) / 2;
    switch (style) {
        case bsPyramid: {
            const TPoint p[] = {Point(start, BarTop), Point(end, mid), Point(start, BarBottom)};
            canvas.Polygon(p);
            break;
        }
        case bsInvPyramid: {
            const TPoint p[] = {Point(end, BarTop), Point(start, mid), Point(end, BarBottom)};
            canvas.Polygon(p);
            break;
        }
        case bsEllipse:
            canvas.Ellipse(start, BarTop, end, BarBottom);
            break;
        case bsArrow:
            canvas.Arrow3D(true, Point(start, mid), Point(end, mid), BarWidth, BarWidth / 2, MiddleZ);
            break;
        case bsRectGradient:
            canvas.GradientFillRect(Rect(start, BarTop, end, BarBottom), clWhite, gdLeftRight, BarColor);
            break;
        default:
            DrawBarRectangle(start, BarTop, end, BarBottom);
    }
}
