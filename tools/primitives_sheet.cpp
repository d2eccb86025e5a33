// Draws every canvas primitive, flat and in the 3D views, into build/sheets/primitives.png for review.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "chart/canvas/canvas3d.h"
#include "chart/canvas/color_shade.h"
#include "tools/sheet.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr int kCellWidth = 170;
constexpr int kCellHeight = 140;
constexpr double kPi = std::numbers::pi;

using Draw3D = std::function<void(TRasterCanvas3D&, const TRect& plot)>;

struct NamedView {
    const char* name;
    bool is3D;
    TView3DOptions options;
};

TView3DOptions View(bool orthogonal, int rotation, int elevation, int zoom = 100) {
    TView3DOptions v;
    v.Orthogonal = orthogonal;
    v.Rotation = rotation;
    v.Elevation = elevation;
    v.Zoom = zoom;
    return v;
}

const std::vector<NamedView>& Views() {
    static const std::vector<NamedView> views = {
        {"flat", false, View(true, 345, 345)},
        {"oblique", true, View(true, 345, 345)},
        {"rotated 345/345", true, View(false, 345, 345)},
        {"rotated 360/315", true, View(false, 360, 315)},
        {"rotated 300/330", true, View(false, 300, 330)},
    };
    return views;
}

void Solid(TRasterCanvas3D& c, TColor color) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = color;
}

// One row of the sheet: the same drawing in every view.
void AddRow(TSheet& sheet, const std::string& name, const Draw3D& draw) {
    for (const NamedView& v : Views()) {
        TCanvasScene scene{v.is3D, v.options, Rect(30, 50, 125, 125), 30};
        sheet.Add(name + ", " + v.name, CanvasCell(scene, draw));
    }
}

void Boxes(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clRed);
    c.Box3D(p.Left + 5, p.Left + 30, p.Top + 20, p.Bottom, 0, 15, true);
    Solid(c, clBlue);
    c.Box3D(p.Left + 40, p.Left + 65, p.Top + 40, p.Bottom, 0, 15, false);
    Solid(c, clLime);
    c.Box3D(p.Left + 70, p.Right, p.Top, p.Bottom, 15, 30, true);
}

void Walls(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clSilver);
    c.RectAtZ(Rect(p.Left + 1, p.Top - 1, p.Right, p.Bottom), 30);
    Solid(c, RGB(255, 255, 128));
    c.VertPlane(p.Left, p.Top, p.Bottom, 0, 31);
    Solid(c, clWhite);
    c.HorizPlane(p.Left, p.Bottom, p.Right, 0, 30);
    c.AssignChartPen(TDottedGrayPen{});
    for (int y = p.Top + 15; y < p.Bottom; y += 15) {
        c.HorizLineAtZ(p.Left, p.Right, y, 30);
        c.MoveToZ(p.Left, y, 30);
        c.LineToZ(p.Left, y, 0);
    }
    c.AssignChartPen(TChartAxisPen{});
    c.LineAtZ(p.Left, p.Bottom, p.Right, p.Bottom, 0);
}

void Pie(TRasterCanvas3D& c, const TRect& p) {
    const TColor colors[] = {clRed, clGreen, clYellow, clBlue, clFuchsia};
    const double cuts[] = {0.3, 1.5, 2.4, 3.6, 5.0, 0.3 + 2 * kPi};
    const int cx = (p.Left + p.Right) / 2, cy = (p.Top + p.Bottom) / 2;
    for (int i = 0; i < 5; ++i) {
        Solid(c, colors[i]);
        c.PieSlice3D(cx, cy, 45, 32, 0, 20, cuts[i], cuts[i + 1], true, true);
    }
}

void Ellipses(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clAqua);
    c.EllipseAtZ(p.Left + 30, p.Top, p.Right, p.Top + 50, 30);
    Solid(c, clYellow);
    c.EllipseAtZ(p.Left, p.Top + 25, p.Left + 60, p.Bottom, 0);
    c.Brush.Style = TBrushStyle::bsClear;
    c.Pen.Color = clRed;
    c.EllipseAtZ(p.Left + 50, p.Top + 40, p.Right, p.Bottom, 15);
}

void Solids(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clTeal);
    c.Cylinder3D(true, p.Left, p.Top + 10, p.Left + 30, p.Bottom, 0, 20, true);
    Solid(c, clOlive);
    c.Cylinder3D(false, p.Left + 40, p.Top, p.Right, p.Top + 25, 0, 20, true);
    Solid(c, clPurple);
    c.Pyramid3D(true, p.Left + 40, p.Top + 35, p.Left + 70, p.Bottom, 0, 20, true);
    Solid(c, clMaroon);
    c.Pyramid3D(false, p.Left + 72, p.Top + 40, p.Right, p.Bottom - 5, 0, 20, true);
}

void Arrows(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clRed);
    c.Arrow3D(true, Point(p.Left, p.Bottom), Point(p.Left + 50, p.Top), 14, 18, 0);
    c.Pen.Color = clBlue;
    c.Arrow3D(false, Point(p.Right, p.Bottom), Point(p.Left + 55, p.Top + 20), 14, 12, 30);
    c.AssignChartPen(TChartArrowPen{});
    c.Pen.Color = clGreen;
    c.Pen.Width = 2;
    c.Arrow3D(false, Point(p.Left, p.Top + 30), Point(p.Right, p.Top + 30), 10, 10, 15);
}

void Lines(TRasterCanvas3D& c, const TRect& p) {
    c.Pen.Color = clRed;
    c.MoveToZ(p.Left, p.Bottom, 0);
    for (int i = 1; i <= 8; ++i) c.LineToZ(p.Left + i * (p.Right - p.Left) / 8, p.Bottom - (i % 2 ? 30 : 10) - i * 4, 0);
    c.Pen.Color = clBlue;
    c.VertLineAtZ(p.Right, p.Top, p.Bottom, 0);
    c.VertLineAtZ(p.Right, p.Top, p.Bottom, 30);
    c.HorizLineAtZ(p.Left, p.Right, p.Top, 30);
    c.Pen.Color = clGreen;
    for (int x = p.Left; x <= p.Right; x += 19) c.DepthLine(x, p.Bottom, 0, 30);
    for (int i = 0; i < 40; ++i) c.PixelAtZ(p.Left + 2 * i, p.Top + 10, i % 30, clFuchsia);
    c.Pen.Width = 4;
    c.PixelAtZ(p.Left + 20, p.Top + 25, 0, clBlack);
}

void Quads(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, RGB(255, 160, 0));
    const int step = (p.Right - p.Left) / 4;
    const int heights[] = {20, 45, 30, 60, 40};
    for (int i = 0; i < 4; ++i)
        c.QuadBetweenZ(Point(p.Left + i * step, p.Bottom - heights[i]),
                       Point(p.Left + (i + 1) * step, p.Bottom - heights[i + 1]), 0, 30);
    Solid(c, RGB(255, 200, 80));
    for (int i = 0; i < 4; ++i)
        c.QuadAtZ(Point(p.Left + i * step, p.Bottom - heights[i]), Point(p.Left + (i + 1) * step, p.Bottom - heights[i + 1]),
                  Point(p.Left + (i + 1) * step, p.Bottom), Point(p.Left + i * step, p.Bottom), 0);
    Solid(c, clBlue);
    c.TriangleAtZ(Point(p.Left, p.Top), Point(p.Left + 30, p.Top), Point(p.Left + 15, p.Top + 20), 0);
    const TPoint four[4] = {Point(p.Right - 30, p.Top), Point(p.Right, p.Top), Point(p.Right, p.Top + 15),
                            Point(p.Right - 30, p.Top + 15)};
    Solid(c, clAqua);
    c.QuadFourBetweenZ(four, 0, 30);
}

void Texts(TRasterCanvas3D& c, const TRect& p) {
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Size = 8;
    c.SetTextAlign(TA_LEFT | TA_TOP);
    c.TextAtZ(p.Left, p.Bottom - 15, 0, "front z=0");
    c.Font.Color = clBlue;
    c.TextAtZ(p.Left, p.Top, 30, "back z=30");
    c.Font.Color = clRed;
    c.SetTextAlign(TA_CENTER | TA_BOTTOM);
    c.RotatedTextAtZ(p.Right - 10, (p.Top + p.Bottom) / 2, 15, "turned 90", 90);
    c.Pen.Color = clGray;
    c.HorizLineAtZ(p.Left, p.Right, p.Bottom - 15, 0);
}

void Clipped(TRasterCanvas3D& c, const TRect& p) {
    c.Pen.Color = clGray;
    c.Brush.Style = TBrushStyle::bsClear;
    c.ClipBox(p, 0, 30);
    Solid(c, RGB(200, 230, 255));
    c.FillRect(Rect(p.Left - 40, p.Top - 60, p.Right + 60, p.Bottom + 20));
    c.Pen.Color = clRed;
    for (int i = -100; i < 200; i += 12) c.Line(p.Left + i, p.Top - 60, p.Left + i + 80, p.Bottom + 20);
    Solid(c, clNavy);
    c.Box3D(p.Left + 20, p.Right + 40, p.Top + 30, p.Bottom + 30, 10, 20, true);
    c.ClearClip();
}

void Zoomed(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clRed);
    c.Box3D(p.Left + 10, p.Left + 45, p.Top + 20, p.Bottom, 0, 30, true);
    c.Brush.Style = TBrushStyle::bsClear;
    c.Font.Size = 8;
    c.TextAtZ(p.Left + 50, p.Top + 30, 0, "Text 8pt");
}

void AddThreeD(TSheet& sheet) {
    sheet.Section("3D primitives, each row in every view (flat, oblique 45 degrees, rotated)");
    AddRow(sheet, "Box3D", Boxes);
    AddRow(sheet, "walls", Walls);
    AddRow(sheet, "PieSlice3D", Pie);
    AddRow(sheet, "EllipseAtZ", Ellipses);
    AddRow(sheet, "Cylinder/Pyramid", Solids);
    AddRow(sheet, "Arrow3D", Arrows);
    AddRow(sheet, "lines at depth", Lines);
    AddRow(sheet, "quads", Quads);
    AddRow(sheet, "TextAtZ", Texts);
    AddRow(sheet, "ClipBox", Clipped);
    sheet.Section("Zoom (oblique)");
    for (int zoom : {0, 50, 100, 150, 200}) {
        TCanvasScene scene{true, View(true, 345, 345, zoom), Rect(30, 50, 125, 125), 30};
        sheet.Add("zoom " + std::to_string(zoom), CanvasCell(scene, Zoomed));
    }
}

TSheet::CellPainter Flat(const std::function<void(TRasterCanvas3D&, const TRect&)>& draw) {
    return CanvasCell(TCanvasScene{false, {}, Rect(8, 8, kCellWidth - 8, kCellHeight - 8), 0}, draw);
}

void PenLines(TRasterCanvas3D& c, const TRect& p) {
    const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear};
    int y = p.Top;
    for (TPenStyle s : styles) {
        c.Pen.Style = s;
        c.Line(p.Left, y, p.Right, y);
        y += 8;
    }
    c.Pen.Style = psSolid;
    for (int w = 1; w <= 4; ++w) {
        c.Pen.Width = w;
        c.Line(p.Left, y + 4, p.Right, y + 4 + w * 6);
        y += 10;
    }
    c.Pen.Width = 5;
    c.Pen.Mode = TPenMode::pmNotXor;
    c.Pen.Color = clRed;
    c.Line(p.Left + 20, p.Top, p.Left + 20, p.Bottom);
}

void Rectangles(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clYellow);
    c.Rectangle(p.Left, p.Top, p.Left + 60, p.Top + 40);
    Solid(c, clAqua);
    c.RoundRect(p.Left + 70, p.Top, p.Right, p.Top + 40, 20, 20);
    Solid(c, clRed);
    c.FillRect(Rect(p.Left, p.Top + 50, p.Left + 60, p.Top + 70));
    TRect r = Rect(p.Left + 70, p.Top + 50, p.Right, p.Bottom);
    c.BevelFrame(r, clBtnHighlight, clBtnShadow, 2);
    c.BevelFrame(r, clBtnShadow, clBtnHighlight, 2);
    Solid(c, clBtnFace);
    c.FillRect(r);
}

void Curves(TRasterCanvas3D& c, const TRect& p) {
    Solid(c, clLime);
    c.Ellipse(p.Left, p.Top, p.Left + 60, p.Top + 50);
    c.Arc(p.Left + 70, p.Top, p.Right, p.Top + 50, p.Right, p.Top, p.Left + 70, p.Top + 50);
    Solid(c, clFuchsia);
    c.Pie(p.Left, p.Top + 60, p.Left + 70, p.Bottom, p.Left + 70, p.Top + 60, p.Left + 70, p.Bottom);
    Solid(c, clBlue);
    c.Pie(p.Left + 80, p.Top + 60, p.Right, p.Bottom, p.Right, p.Bottom, p.Right, p.Top + 60);
}

void Polygons(TRasterCanvas3D& c, const TRect& p) {
    std::vector<TPoint> star;
    const int cx = (p.Left + p.Right) / 2, cy = (p.Top + p.Bottom) / 2;
    for (int k = 0; k < 5; ++k) {
        const double a = -kPi / 2 + k * 4 * kPi / 5;
        star.push_back(Point(cx + static_cast<int>(55 * std::cos(a)), cy + static_cast<int>(55 * std::sin(a))));
    }
    Solid(c, clRed);
    c.Polygon(star.data(), static_cast<int>(star.size()) - 1);
}

void Hatches(TRasterCanvas3D& c, const TRect& p) {
    using enum TBrushStyle;
    const TBrushStyle styles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    c.SetBkColor(clYellow);
    for (int i = 0; i < 6; ++i) {
        c.SetBkMode(i < 3 ? OPAQUE : TRANSPARENT);
        c.Brush.Style = styles[i];
        c.Brush.Color = clBlue;
        const int x = p.Left + (i % 3) * 50, y = p.Top + (i / 3) * 60;
        c.Rectangle(x, y, x + 45, y + 55);
    }
}

void Gradients(TRasterCanvas3D& c, const TRect& p) {
    const TGradientDirection dirs[] = {gdTopBottom, gdBottomTop,  gdLeftRight,     gdRightLeft,
                                       gdFromCenter, gdFromTopLeft, gdFromBottomLeft};
    for (int i = 0; i < 7; ++i) {
        const int x = p.Left + (i % 4) * 38, y = p.Top + (i / 4) * 62;
        c.GradientFillRect(Rect(x, y, x + 34, y + 56), clWhite, dirs[i], clBlue);
    }
}

void TextAlign(TRasterCanvas3D& c, const TRect& p) {
    const unsigned horiz[] = {TA_LEFT, TA_CENTER, TA_RIGHT};
    const unsigned vert[] = {TA_TOP, TA_BASELINE, TA_BOTTOM};
    c.Font.Size = 8;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int x = p.Left + 25 + i * 55, y = p.Top + 15 + j * 40;
            c.Pen.Color = clRed;
            c.Line(x - 4, y, x + 5, y);
            c.Line(x, y - 4, x, y + 5);
            c.SetTextAlign(horiz[i] | vert[j]);
            c.Brush.Style = j == 1 ? TBrushStyle::bsSolid : TBrushStyle::bsClear;
            c.Brush.Color = clYellow;
            c.TextOut(x, y, "Wg\xE4\xDF");
        }
}

void Rotated(TRasterCanvas3D& c, const TRect& p) {
    c.Font.Size = 9;
    c.SetTextAlign(TA_LEFT | TA_BASELINE);
    const int cx = (p.Left + p.Right) / 2, cy = (p.Top + p.Bottom) / 2;
    for (int angle = 0; angle < 360; angle += 45) c.RotatedText(cx, cy, "  Text " + std::to_string(angle), angle);
}

void ClipPolygon(TRasterCanvas3D& c, const TRect& p) {
    const std::vector<TPoint> diamond = {Point((p.Left + p.Right) / 2, p.Top), Point(p.Right, (p.Top + p.Bottom) / 2),
                                         Point((p.Left + p.Right) / 2, p.Bottom), Point(p.Left, (p.Top + p.Bottom) / 2)};
    c.SetClipPolygon(diamond);
    Solid(c, clSilver);
    c.FillRect(p);
    c.Pen.Color = clRed;
    for (int x = p.Left - 100; x < p.Right; x += 10) c.Line(x, p.Bottom, x + 100, p.Top);
    c.ClearClip();
}

void AddFlat(TSheet& sheet) {
    sheet.Section("2D raster operations");
    sheet.Add("pen styles, widths, not-xor", Flat(PenLines));
    sheet.Add("Rectangle, RoundRect, FillRect, BevelFrame", Flat(Rectangles));
    sheet.Add("Ellipse, Arc, Pie", Flat(Curves));
    sheet.Add("Polygon (even-odd)", Flat(Polygons));
    sheet.Add("hatches opaque / transparent", Flat(Hatches));
    sheet.Add("GradientFillRect, 7 directions", Flat(Gradients));
    sheet.Add("TextOut alignments", Flat(TextAlign));
    sheet.Add("RotatedText", Flat(Rotated));
    sheet.Add("clip to a polygon", Flat(ClipPolygon));
}

}  // namespace

int main(int argc, char** argv) {
    TSheet sheet("Canvas primitives", static_cast<int>(Views().size()), kCellWidth, kCellHeight);
    AddFlat(sheet);
    AddThreeD(sheet);
    const std::string path = sheet.Write("primitives", argc > 1 ? argv[1] : "");
    std::printf("%s\n", path.c_str());
    return 0;
}
