// PaintWalls: the framed plot rectangle in 2D; back wall, left wall and floor of the 3D box.
#include "chart/model/chart_walls.h"

#include "chart/model/chart.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

void TCustomChart::PrepareWallCanvas(const TChartWall& wall) {
    TRasterCanvas3D& canvas = Canvas();
    canvas.AssignChartPen(wall.Pen);
    if (wall.Brush.Bitmap) {
        canvas.Brush = wall.Brush;
    } else if (wall.Color == AutoColor && wall.Brush.Style == TBrushStyle::bsSolid) {
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Brush.Bitmap = nullptr;
    } else {
        SetBrushForFill(wall.Color, wall.Brush.Style, wall.Brush.Color);
    }
}

namespace {

bool DarkSides(const TChartWall& wall) { return wall.Brush.Style != TBrushStyle::bsClear && !wall.Brush.Bitmap; }

}  // namespace

void TCustomChart::PaintWalls() {
    TRasterCanvas3D& canvas = Canvas();
    const TRect& p = PlotRect;
    const int d = DepthTotal;
    PrepareWallCanvas(BackWall);
    if (!View3D) {
        canvas.Rectangle(p.Left, p.Top, p.Right + 1, p.Bottom);
        return;
    }
    const int lws = LeftWallSize(), bws = BottomWallSize();
    if (View3DWalls && BackWall.Size > 0)
        canvas.Box3D(p.Left - lws, p.Right, p.Top, p.Bottom + bws, d, d + BackWall.Size, DarkSides(BackWall));
    else
        canvas.RectAtZ(TRect{p.Left + 1, p.Top - 1, p.Right, p.Bottom}, d);
    if (!View3DWalls) return;
    PrepareWallCanvas(LeftWall);
    if (LeftWall.Size < 1)
        canvas.VertPlane(p.Left, p.Top, p.Bottom + bws, 0, d + 1);
    else
        canvas.Box3D(p.Left - LeftWall.Size, p.Left, p.Top, p.Bottom + bws, 0, d + 1, DarkSides(LeftWall));
    PrepareWallCanvas(BottomWall);
    if (BottomWall.Size < 1)
        canvas.HorizPlane(p.Left, p.Bottom, p.Right, 0, d);
    else
        canvas.Box3D(p.Left, p.Right, p.Bottom, p.Bottom + BottomWall.Size, 0, d, DarkSides(BottomWall));
}

}  // namespace tallyhouse::chart
