// Vertical bars: placement over the category axis, shapes in 2D and 3D, marks above the bars.
#include "chart/series/bar_series.h"

#include "chart/model/chart.h"

TBarSeries::TBarSeries() { YValues.Name = "Balken"; }

bool TBarSeries::ClassIncludes(const TChartSeries& s) const { return dynamic_cast<const TBarSeries*>(&s) != nullptr; }

int TBarSeries::SlotSize(int n) const { return ParentChart()->PlotWidth / n; }

int TBarSeries::MarkExtent(int) const {
    ParentChart()->AssignCanvasFont(Marks.Font);
    return Canvas().FontHeight();
}

void TBarSeries::HorizontalMargins(int& left, int& right) {
    CalcBarWidth();
    int margin = CategoryGroups() * BarWidth;
    if (!SideMargins) margin /= 2;
    left = right = margin;
}

void TBarSeries::VerticalMargins(int& top, int& bottom) {
    top = bottom = 0;
    const int room = MarkRoom();
    if (!UseYOrigin || YValues.HighestValue() > YOrigin) {
        if (GetVertAxis()->Inverted)
            bottom += room + ParentChart()->SlotDepthY;
        else
            top += room;
    }
    if (UseYOrigin && YValues.LowestValue() < YOrigin) bottom += room;
}

void TBarSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    const int half = BarWidth / 2;
    int rise = Marks.ArrowLength;
    if (OriginPixel(i) < PointPixelY(i)) rise = -rise - position.BoxHeight;
    position.BoxLeftTop.X += half;
    position.BoxLeftTop.Y -= rise;
    position.ArrowEnd.X += half;
    position.ArrowEnd.Y -= rise;
    position.ArrowStart.X += half;
    TChartSeries::PaintMark(i, text, position);
}

void TBarSeries::DrawBar(int i, int start, int end) {
    PrepareBarBrush();
    const TBarStyle style = ShapeOf(i);
    if (ParentChart()->View3D)
        DrawBar3D(style, start, end);
    else
        DrawBar2D(style, start, end);
}

void TBarSeries::DrawBar3D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const int mid = (BarLeft + BarRight) / 2;
    switch (style) {
        case bsPyramid:
            canvas.Pyramid3D(true, BarLeft, start, BarRight, end, StartZ, EndZ, Dark3D);
            break;
        case bsInvPyramid:
            canvas.Pyramid3D(true, BarLeft, end, BarRight, start, StartZ, EndZ, Dark3D);
            break;
        case bsCilinder:
            canvas.Cylinder3D(true, BarLeft, start, BarRight, end, StartZ, EndZ, Dark3D);
            break;
        case bsEllipse:
            canvas.EllipseAtZ(BarLeft, start, BarRight, end, MiddleZ);
            break;
        case bsArrow:
            canvas.Arrow3D(true, Point(mid, end), Point(mid, start), BarWidth, BarWidth / 2, MiddleZ);
            break;
        case bsRectGradient:
            canvas.Box3D(BarLeft, BarRight, start, end, StartZ, EndZ, Dark3D);
            if (canvas.OrthoView()) {
                const TPoint a = canvas.ProjectPointOut(BarLeft, start, StartZ);
                const TPoint b = canvas.ProjectPointOut(BarRight, end, StartZ);
                canvas.GradientFillRect(Rect(a.X, a.Y, b.X, b.Y), clWhite, gdBottomTop, BarColor);
            }
            break;
        default:
            canvas.Box3D(BarLeft, BarRight, start, end, StartZ, EndZ, Dark3D);
    }
}

void TBarSeries::DrawBar2D(TBarStyle style, int start, int end) {
    TRasterCanvas3D& canvas = Canvas();
    const int mid = (BarLeft + BarRight) / 2;
    switch (style) {
        case bsPyramid: {
            const TPoint p[] = {Point(BarLeft, end), Point(mid, start), Point(BarRight, end)};
            canvas.Polygon(p);
            break;
        }
        case bsInvPyramid: {
            const TPoint p[] = {Point(BarLeft, start), Point(mid, end), Point(BarRight, start)};
            canvas.Polygon(p);
            break;
        }
        case bsEllipse:
            canvas.Ellipse(BarLeft, start, BarRight, end);
            break;
        case bsArrow:
            canvas.Arrow3D(true, Point(mid, end), Point(mid, start), BarWidth, BarWidth / 2, MiddleZ);
            break;
        case bsRectGradient:
            canvas.GradientFillRect(Rect(BarLeft, start, BarRight, end), clWhite, gdBottomTop, BarColor);
            break;
        default:
            DrawBarRectangle(BarLeft, start, BarRight, end);
    }
}
