// Point-to-point drawing of line-like series: carried state, slanted or stepped roofs in 3D.
#include "chart/series/custom_series.h"

#include "chart/series/area_geometry.h"
#include "chart/model/chart.h"
#include "chart/canvas/color_shade.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

constexpr int FarPixel = 32766;

bool FarOff(int pixel) { return pixel < -FarPixel || pixel > FarPixel; }

}  // namespace

TCustomSeries::TCustomSeries() { IncludeNextPoint = true; }

int TCustomSeries::BottomPixel(int) const { return ParentChart()->PlotRect.Bottom; }

void TCustomSeries::BeginDrawPoints() {
    TChartSeries::BeginDrawPoints();
    OldColor = clNone;
}

void TCustomSeries::DrawPoint(int i) {
    const int x = PointPixelX(i);
    const int y = PointPixelY(i);
    if (FarOff(x) || FarOff(y)) return;
    const TColor color = PointColor(i);
    TRasterCanvas3D& canvas = Canvas();
    canvas.Pen.Color = clBlack;
    canvas.Brush.Color = color;
    if (OldColor == clNone) {
        OldX = x;
        OldY = y;
    }
    Bottom = BottomPixel(i);
    if (i == FirstVisible)
        StartAtFirstVisible(i, x, y, color);
    else
        DrawSegment(i, x, y, color);
    OldX = x;
    OldY = y;
    OldBottom = Bottom;
    OldColor = color;
}

void TCustomSeries::StartAtFirstVisible(int i, int x, int y, TColor color) {
    const TCustomChart& chart = *ParentChart();
    if (Dark3D) SteepSlope = chart.SlotDepth == 0 ? 1.0 : static_cast<double>(chart.SlotDepthY) / chart.SlotDepth;
    if (i == 0) return;
    // The band reaches back to the point before the visible range.
    if (DrawArea) {
        OldX = PointPixelX(i - 1);
        OldY = PointPixelY(i - 1);
        OldBottom = BottomPixel(i - 1);
    }
    if (PointColor(i - 1) != clNone) DrawSegment(i, x, y, color);
}

void TCustomSeries::DrawSegment(int i, int x, int y, TColor color) {
    if ((x == OldX && y == OldY) || color == clNone) return;
    if (ParentChart()->View3D && DrawArea) DrawRoof(x, y, color);
    if (DrawArea) DrawFrontFace(i, x, y, color);
}

void TCustomSeries::DrawRoof(int x, int y, TColor color) {
    TRasterCanvas3D& canvas = Canvas();
    canvas.AssignChartPen(LinePen);
    canvas.Brush.Color = AreaFillColor(color);
    canvas.Brush.Style = LineBrush;
    if (Stairs) {
        if (InvertedStairs) {
            canvas.VertPlane(OldX, OldY, y, StartZ, EndZ);
            canvas.HorizPlane(x, y, OldX, StartZ, EndZ);
        } else {
            canvas.HorizPlane(OldX, OldY, x, StartZ, EndZ);
            canvas.VertPlane(x, y, OldY, StartZ, EndZ);
        }
        return;
    }
    if (Dark3D && RisesSteeply(OldX, OldY, x, y, SteepSlope)) canvas.Brush.Color = Darker(canvas.Brush.Color, 64);
    canvas.QuadBetweenZ(Point(x, y), Point(OldX, OldY), StartZ, EndZ);
}

void TCustomSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    Marks.ZPosition = StartZ;
    position.BoxLeftTop.Y -= Marks.ArrowLength;
    position.ArrowEnd.Y -= Marks.ArrowLength;
    TChartSeries::PaintMark(i, text, position);
}

}  // namespace tallyhouse::chart
