// Setting up a view: buffering, flushing, clipping to the plot box, zoomed text and the chart pens.
#include <gtest/gtest.h>

#include "chart/canvas/color_shade.h"
#include "tests/chart/canvas/canvas3d_test_support.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

TEST(Canvas3DView, BufferedDrawingReachesTheDestinationOnlyWhenFlushed) {
    TBitmap destination(50, 40, clWhite);
    TRasterCanvas3D canvas;
    EXPECT_TRUE(canvas.GetBuffered());
    EXPECT_TRUE(canvas.Stale());
    TRect work;
    canvas.BeginView(&destination, nullptr, work, Rect(10, 5, 30, 25), false);
    EXPECT_EQ(work, Rect(0, 0, 20, 20));
    ASSERT_NE(canvas.Offscreen(), nullptr);
    canvas.Brush.Color = clRed;
    canvas.FillRect(work);
    EXPECT_EQ(destination.GetPixel(15, 10), clWhite);
    canvas.FlushToTarget(nullptr, &destination, Rect(10, 5, 30, 25));
    EXPECT_FALSE(canvas.Stale());
    EXPECT_EQ(destination.GetPixel(10, 5), clRed);
    EXPECT_EQ(destination.GetPixel(29, 24), clRed);
    EXPECT_EQ(destination.GetPixel(30, 24), clWhite);
    EXPECT_EQ(destination.GetPixel(9, 5), clWhite);

    const TBitmap* kept = canvas.Offscreen();
    canvas.BeginView(&destination, nullptr, work, Rect(0, 0, 20, 20), false);
    EXPECT_EQ(canvas.Offscreen(), kept) << "the raster survives between draws of the same size";
    canvas.SetBuffered(false);
    EXPECT_EQ(canvas.Offscreen(), nullptr);
    EXPECT_TRUE(canvas.Stale());
    canvas.BeginView(&destination, nullptr, work, Rect(10, 5, 30, 25), false);
    EXPECT_EQ(work, Rect(10, 5, 30, 25)) << "unbuffered drawing uses the caller's rectangle";
}

TEST(Canvas3DView, FlushClipsToTheDestinationAndMonochromeIsBlackAndWhite) {
    TBitmap destination(10, 10, clBlue);
    TRasterCanvas3D canvas;
    canvas.SetMonochrome(true);
    TRect work;
    canvas.BeginView(&destination, nullptr, work, Rect(-5, 6, 15, 26), false);
    canvas.Brush.Color = clYellow;
    canvas.FillRect(Rect(0, 0, 20, 2));
    canvas.Brush.Color = clNavy;
    canvas.FillRect(Rect(0, 2, 20, 20));
    canvas.ShowBuffered();
    EXPECT_EQ(destination.GetPixel(0, 6), clWhite);
    EXPECT_EQ(destination.GetPixel(9, 8), clBlack);
    EXPECT_EQ(destination.GetPixel(9, 5), clBlue);
}

TEST(Canvas3DView, ClipBoxInTwoDKeepsTheInsideOfThePlot) {
    ProbeCanvas p(false, {}, 40, 40);
    p.canvas.ClipBox(Rect(10, 10, 30, 30), 0, 10);
    p.canvas.Brush.Color = clRed;
    p.canvas.FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(p.Count(clRed), 19 * 18);
    EXPECT_EQ(p.At(11, 11), clRed);
    EXPECT_EQ(p.At(29, 28), clRed);
    EXPECT_EQ(p.At(10, 11), clWhite);
    EXPECT_EQ(p.At(29, 29), clWhite);
}

TEST(Canvas3DView, NothingOutsideTheClipBoxChanges) {
    for (bool orthogonal : {true, false}) {
        TView3DOptions view;
        view.Orthogonal = orthogonal;
        view.Rotation = 340;
        view.Elevation = 330;
        ProbeCanvas mask(true, view, 80, 80, 30);
        mask.canvas.ClipBox(Rect(20, 30, 50, 60), 0, 30);
        mask.canvas.Brush.Color = clRed;
        mask.canvas.FillRect(Rect(0, 0, 80, 80));
        ASSERT_GT(mask.Count(clRed), 900);

        ProbeCanvas p(true, view, 80, 80, 30);
        p.canvas.ClipBox(Rect(20, 30, 50, 60), 0, 30);
        p.canvas.Brush.Color = clBlue;
        p.canvas.Box3D(0, 80, 0, 80, 0, 30, true);
        p.canvas.PieSlice3D(40, 40, 60, 60, 0, 30, 0, 6.28, true, true);
        p.canvas.EllipseAtZ(-10, -10, 90, 90, 15);
        p.canvas.Font.Size = 30;
        p.canvas.TextAtZ(0, 30, 0, "WWWW");
        p.canvas.LineAtZ(0, 0, 80, 80, 10);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                if (mask.At(x, y) != clRed) {
                    ASSERT_EQ(p.At(x, y), clWhite) << x << "," << y << " " << orthogonal;
                }
    }
}

TEST(Canvas3DView, ZoomedTextIsDrawnAtTheScaledSize) {
    struct Case { const char* fault; int zoom; int expectedSize; };
    const Case cases[] = {
        {"zoom 50 not halving an 8-point font", 50, 4},
        {"zoom 0 not kept at one point", 0, 1},
        {"zoom 150 rounding", 150, 12},
    };
    for (const Case& c : cases) {
        TView3DOptions view;
        view.Zoom = c.zoom;
        ProbeCanvas zoomed(true, view, 120, 60);
        zoomed.canvas.Font.Size = 8;
        zoomed.canvas.TextAtZ(60, 30, 0, "Wg 42");
        EXPECT_EQ(zoomed.canvas.Font.Size, 8) << c.fault << ": size not restored";

        ProbeCanvas expected(true, view, 120, 60);
        expected.canvas.Font.Size = c.expectedSize;
        const TPoint at = expected.canvas.ProjectPointOut(60, 30, 0);
        TView3DOptions flat;
        ProbeCanvas plain(false, flat, 120, 60);
        plain.canvas.Font.Size = c.expectedSize;
        plain.canvas.TextOut(at.X, at.Y, "Wg 42");
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 120; ++x) ASSERT_EQ(zoomed.At(x, y), plain.At(x, y)) << c.fault;
    }
}

TEST(Canvas3DView, RotatedTextScalesWithTheZoom) {
    TView3DOptions view;
    view.Zoom = 50;
    ProbeCanvas zoomed(true, view, 80, 80);
    zoomed.canvas.Font.Size = 16;
    zoomed.canvas.RotatedTextAtZ(40, 40, 0, "Axis", 90);
    ProbeCanvas plain(false, {}, 80, 80);
    plain.canvas.Font.Size = 8;
    plain.canvas.RotatedText(40, 40, "Axis", 90);
    EXPECT_GT(plain.Count(clBlack), 10);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(zoomed.At(x, y), plain.At(x, y));
    EXPECT_EQ(zoomed.canvas.Font.Size, 16);
}

TEST(Canvas3DView, DarkerFloorsEachChannelAtZero) {
    struct Case { const char* fault; TColor color; int amount; TColor expected; };
    const Case cases[] = {
        {"red side face", clRed, 128, RGB(127, 0, 0)},
        {"red top face", clRed, 64, RGB(191, 0, 0)},
        {"channels going below zero", RGB(200, 20, 100), 64, RGB(136, 0, 36)},
        {"system colours not resolved", clBtnFace, 0, ColorToRGB(clBtnFace)},
        {"zero amount changes the colour", clSilver, 0, clSilver},
    };
    for (const Case& c : cases) EXPECT_EQ(Darker(c.color, c.amount), c.expected) << c.fault;
}

TEST(Canvas3DView, ChartPensAndAssigningThem) {
    EXPECT_TRUE(TChartPen{}.Visible);
    EXPECT_FALSE(TChartHiddenPen{}.Visible);
    EXPECT_EQ(TDottedGrayPen{}.Color, clGray);
    EXPECT_EQ(TDottedGrayPen{}.Style, psDot);
    EXPECT_EQ(TDarkGrayPen{}.Color, clGray);
    EXPECT_EQ(TChartAxisPen{}.Width, 2);
    EXPECT_EQ(TChartArrowPen{}.Color, clWhite);

    TRasterCanvas3D canvas;
    TChartPen pen;
    pen.Color = clRed;
    pen.Width = 3;
    pen.Style = psDash;
    canvas.AssignChartPen(pen);
    EXPECT_EQ(canvas.Pen, static_cast<const TPen&>(pen));
    TChartHiddenPen hidden;
    canvas.AssignChartPen(hidden);
    EXPECT_EQ(canvas.Pen.Style, psClear);
    EXPECT_EQ(canvas.Pen.Color, clRed) << "a hidden pen only clears the style";
}

TEST(Canvas3DView, SuspendedThreeDDrawsFlat) {
    ProbeCanvas p(true);
    p.canvas.Suspend3D();
    EXPECT_EQ(p.canvas.ProjectPointOut(10, 20, 30), Point(10, 20));
    p.canvas.Resume3D();
    EXPECT_EQ(p.canvas.ProjectPointOut(10, 20, 30), Point(40, -10));
}
