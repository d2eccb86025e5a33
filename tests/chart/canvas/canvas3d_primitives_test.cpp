// Pixel probes of the 3D primitives on small bitmaps, oblique view centred so that X = x + z, Y = y - z.
#include <gtest/gtest.h>

#include <numbers>

#include "chart/canvas/color_shade.h"
#include "tests/chart/canvas/canvas3d_test_support.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr double kPi = std::numbers::pi;

void SolidBrush(TRasterCanvas3D& c, TColor color) {
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = color;
}

}  // namespace

TEST(Canvas3DPrimitives, BoxFacesAreDarkenedAndTheLastShadeStays) {
    ProbeCanvas p(true);
    SolidBrush(p.canvas, clRed);
    p.canvas.Box3D(20, 50, 40, 80, 0, 20, true);
    EXPECT_EQ(p.At(35, 60), clRed) << "front face";
    EXPECT_EQ(p.At(60, 50), RGB(127, 0, 0)) << "right face 128 darker";
    EXPECT_EQ(p.At(45, 30), RGB(191, 0, 0)) << "top face 64 darker";
    EXPECT_EQ(p.At(30, 85), clWhite) << "bottom face is never drawn";
    EXPECT_EQ(p.canvas.Brush.Color, RGB(191, 0, 0));

    ProbeCanvas plain(true);
    SolidBrush(plain.canvas, clRed);
    plain.canvas.Box3D(20, 50, 40, 80, 0, 20, false);
    EXPECT_EQ(plain.At(60, 50), clRed) << "sides keep the face colour without darkSides";
    EXPECT_EQ(plain.At(45, 30), clRed);
}

TEST(Canvas3DPrimitives, HatchedBoxDarkensTheBackgroundColour) {
    ProbeCanvas p(true);
    p.canvas.Brush.Style = TBrushStyle::bsCross;
    p.canvas.Brush.Color = clBlack;
    p.canvas.SetBkColor(clLime);
    p.canvas.Box3D(20, 50, 40, 80, 0, 20, true);
    EXPECT_EQ(p.canvas.GetBkColor(), RGB(0, 191, 0));
    EXPECT_EQ(p.canvas.Brush.Color, clBlack);
}

TEST(Canvas3DPrimitives, FlatViewDrawsFrontFacesOnly) {
    TView3DOptions zoomed;
    zoomed.Zoom = 50;
    ProbeCanvas p(false, zoomed);
    SolidBrush(p.canvas, clRed);
    p.canvas.Box3D(20, 50, 40, 80, 0, 20, true);
    EXPECT_EQ(p.At(35, 60), clRed);
    EXPECT_EQ(p.At(60, 50), clWhite);
    EXPECT_EQ(p.At(45, 30), clWhite);
    EXPECT_EQ(p.canvas.Brush.Color, clRed) << "no side drawn, no shade left";
    EXPECT_EQ(p.canvas.ProjectPointOut(13, 17, 40), Point(13, 17)) << "no zoom in 2D";
}

TEST(Canvas3DPrimitives, PlanesAndQuadsLieAtTheirDepth) {
    ProbeCanvas p(true);
    p.canvas.Pen.Style = psClear;
    SolidBrush(p.canvas, clBlue);
    p.canvas.RectAtZ(Rect(10, 30, 20, 40), 10);  // lands on (20, 20)-(30, 30)
    EXPECT_EQ(p.At(25, 25), clBlue);
    EXPECT_EQ(p.At(15, 35), clWhite);
    SolidBrush(p.canvas, clGreen);
    p.canvas.HorizPlane(50, 90, 80, 0, 10);  // floor from y 90 up to 80, leaning right
    EXPECT_EQ(p.At(60, 86), clGreen);
    SolidBrush(p.canvas, clNavy);
    p.canvas.VertPlane(10, 60, 80, 0, 20);  // wall from x 10 to 30
    EXPECT_EQ(p.At(20, 60), clNavy);
    SolidBrush(p.canvas, clTeal);
    p.canvas.TriangleAtZ(Point(60, 30), Point(80, 30), Point(60, 50), 5);
    EXPECT_EQ(p.At(68, 30), clTeal);
    SolidBrush(p.canvas, clOlive);
    const TPoint four[4] = {Point(40, 60), Point(45, 60), Point(45, 70), Point(40, 70)};
    p.canvas.QuadFourBetweenZ(four, 0, 0);
    EXPECT_EQ(p.At(42, 65), clOlive);
}

TEST(Canvas3DPrimitives, LinesAndPixelsAtDepth) {
    ProbeCanvas p(true);
    p.canvas.HorizLineAtZ(10, 30, 50, 10);  // (20, 40) to (40, 40)
    EXPECT_EQ(p.At(20, 40), clBlack);
    EXPECT_EQ(p.At(39, 40), clBlack);
    EXPECT_EQ(p.At(20, 50), clWhite);
    p.canvas.DepthLine(70, 80, 0, 10);  // (70, 80) to (80, 70)
    EXPECT_EQ(p.At(75, 75), clBlack);
    p.canvas.PixelAtZ(5, 95, 3, clRed);
    EXPECT_EQ(p.At(8, 92), clRed);
    p.canvas.Pen.Width = 3;
    p.canvas.PixelAtZ(50, 90, 0, clBlue);
    EXPECT_EQ(p.At(50, 90), clBlue) << "a wide pen draws a dot in the given colour";
    EXPECT_EQ(p.canvas.Pen.Color, clBlack);
}

TEST(Canvas3DPrimitives, EllipseAtDepthIsFilledAndOutlined) {
    ProbeCanvas p(true);
    SolidBrush(p.canvas, clYellow);
    p.canvas.EllipseAtZ(20, 20, 60, 60, 10);  // centre (40, 40) lands on (50, 30)
    EXPECT_EQ(p.At(50, 30), clYellow);
    EXPECT_EQ(p.At(50, 50), clBlack) << "outline through the bottom vertex";
    EXPECT_EQ(p.At(50, 52), clWhite);
    EXPECT_EQ(p.At(70, 30), clBlack) << "outline closed at the first vertex";
}

TEST(Canvas3DPrimitives, PieSliceFaceSidesAndRim) {
    ProbeCanvas p(true);
    SolidBrush(p.canvas, clRed);
    p.canvas.PieSlice3D(50, 50, 30, 30, 0, 10, 0, 2 * kPi, true, true);
    EXPECT_EQ(p.At(60, 30), clRed) << "face at z1 around the projected centre";
    EXPECT_EQ(p.At(55, 76), RGB(223, 0, 0)) << "rim below the face, 32 darker";
    EXPECT_EQ(p.At(25, 35), clWhite) << "the back edge has no rim";
    EXPECT_EQ(p.canvas.Brush.Color, RGB(223, 0, 0)) << "the rim's shade stays";

    ProbeCanvas quarter(true);
    SolidBrush(quarter.canvas, clRed);
    quarter.canvas.PieSlice3D(50, 50, 30, 30, 0, 10, 1.5 * kPi, 2 * kPi, true, true);
    EXPECT_EQ(quarter.At(55, 60), RGB(223, 0, 0)) << "start side faces the viewer";
}

TEST(Canvas3DPrimitives, FlatPieSlicesLeaveNoGaps) {
    ProbeCanvas p(false);
    p.canvas.Pen.Style = psClear;
    const TColor colors[] = {clRed, clGreen, clBlue, clYellow, clFuchsia};
    const double cuts[] = {0, 0.9, 2.0, 3.3, 5.1, 2 * kPi};
    for (int i = 0; i < 5; ++i) {
        SolidBrush(p.canvas, colors[i]);
        p.canvas.PieSlice3D(50, 50, 40, 40, 0, 0, cuts[i], cuts[i + 1], true, true);
    }
    for (int y = 15; y <= 85; ++y)
        for (int x = 15; x <= 85; ++x)
            if ((x - 50) * (x - 50) + (y - 50) * (y - 50) < 36 * 36) {
                ASSERT_NE(p.At(x, y), clWhite) << x << "," << y;
            }
}

TEST(Canvas3DPrimitives, SolidsAndArrowsDraw) {
    ProbeCanvas p(true, {}, 160, 100);
    SolidBrush(p.canvas, clRed);
    p.canvas.Cylinder3D(true, 10, 30, 40, 90, 0, 20, true);
    EXPECT_EQ(p.At(30, 70), clRed) << "cylinder body";
    EXPECT_EQ(p.At(35, 20), RGB(191, 0, 0)) << "darkened cover";
    SolidBrush(p.canvas, clBlue);
    p.canvas.Pyramid3D(true, 60, 20, 100, 90, 0, 20, true);
    EXPECT_EQ(p.At(80, 80), clBlue) << "pyramid front";
    SolidBrush(p.canvas, clGreen);
    p.canvas.Arrow3D(true, Point(110, 90), Point(140, 30), 16, 20, 0);
    EXPECT_EQ(p.At(134, 42), clGreen) << "filled arrow head";
    EXPECT_EQ(p.At(117, 76), clBlack) << "arrow shaft";
}

TEST(Canvas3DPrimitives, FarOffGeometryNeitherOverflowsNorHangs) {
    TView3DOptions huge;
    huge.Zoom = 100000;
    ProbeCanvas p(true, huge);
    SolidBrush(p.canvas, clRed);
    p.canvas.Box3D(-1000, 1000, -1000, 1000, 0, 20, true);
    p.canvas.EllipseAtZ(-2000000000, -2000000000, 2000000000, 2000000000, 5);
    p.canvas.PieSlice3D(50, 50, 2000000000, 2000000000, 0, 20, 0, 2 * kPi, true, true);
    p.canvas.Cylinder3D(false, -2000000000, 0, 2000000000, 90, 0, 2000000000, true);
    p.canvas.TextAtZ(50, 50, 0, "Far");
    p.canvas.LineAtZ(-2147483647, 50, 2147483647, 50, 0);

    ProbeCanvas flat(false);
    SolidBrush(flat.canvas, clRed);
    flat.canvas.Pen.Style = psClear;
    flat.canvas.PieSlice3D(50, 50, 2000000000, 2000000000, 0, 20, 0, 2 * kPi, false, true);
    EXPECT_EQ(flat.Count(clRed), 100 * 100) << "a pie two billion pixels wide covers the bitmap";
}
