// Pixel probes for lines, wide pens, dash styles, not-xor mode, hatch brushes and system colours.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/raster/raster_canvas.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

TEST(RasterPens, LineCoversStartAndStopsShortOfEnd) {
    struct Case {
        const char* fault;
        int x0, y0, x1, y1;
        TPoint first, last, beyond;
    };
    const Case cases[] = {
        {"horizontal right", 1, 1, 5, 1, Point(1, 1), Point(4, 1), Point(5, 1)},
        {"horizontal left", 5, 2, 1, 2, Point(5, 2), Point(2, 2), Point(1, 2)},
        {"vertical down", 3, 0, 3, 6, Point(3, 0), Point(3, 5), Point(3, 6)},
        {"diagonal", 0, 0, 6, 6, Point(0, 0), Point(5, 5), Point(6, 6)},
    };
    for (const Case& k : cases) {
        TBitmap b(8, 8, clWhite);
        TRasterCanvas c(&b);
        c.Line(k.x0, k.y0, k.x1, k.y1);
        EXPECT_EQ(b.GetPixel(k.first.X, k.first.Y), clBlack) << k.fault;
        EXPECT_EQ(b.GetPixel(k.last.X, k.last.Y), clBlack) << k.fault;
        EXPECT_EQ(b.GetPixel(k.beyond.X, k.beyond.Y), clWhite) << k.fault;
        EXPECT_EQ(c.PenPos, Point(k.x1, k.y1)) << k.fault;
    }
    TBitmap b(4, 4, clWhite);
    TRasterCanvas c(&b);
    c.Line(2, 2, 2, 2);
    EXPECT_EQ(CountPixels(b, clBlack), 0) << "a line of length zero draws nothing";
}

TEST(RasterPens, PolylineJoinsSegmentsWithoutGaps) {
    TBitmap b(8, 8, clWhite);
    TRasterCanvas c(&b);
    c.MoveTo(1, 1);
    c.LineTo(6, 1);
    c.LineTo(6, 6);
    EXPECT_EQ(b.GetPixel(6, 1), clBlack) << "the corner is the second segment's start";
    EXPECT_EQ(b.GetPixel(6, 5), clBlack);
    EXPECT_EQ(b.GetPixel(6, 6), clWhite);
    EXPECT_EQ(CountPixels(b, clBlack), 10);
}

TEST(RasterPens, WidePensCoverTheirWidth) {
    for (int width : {2, 3, 4, 7}) {
        TBitmap b(30, 30, clWhite);
        TRasterCanvas c(&b);
        c.Pen.Width = width;
        c.Line(5, 15, 25, 15);
        int rows = 0;
        for (int y = 0; y < 30; ++y) rows += b.GetPixel(15, y) == clBlack ? 1 : 0;
        EXPECT_EQ(rows, width) << "a horizontal line of width " << width;
        int cols = 0;
        TBitmap v(30, 30, clWhite);
        TRasterCanvas vc(&v);
        vc.Pen.Width = width;
        vc.Line(15, 5, 15, 25);
        for (int x = 0; x < 30; ++x) cols += v.GetPixel(x, 15) == clBlack ? 1 : 0;
        EXPECT_EQ(cols, width) << "a vertical line of width " << width;
    }
    TBitmap b(30, 30, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Width = 5;
    c.Line(10, 10, 10, 10);
    EXPECT_GT(CountPixels(b, clBlack), 9) << "a wide pen draws a dot for a zero-length line";
}

TEST(RasterPens, WidePenRectangleKeepsTheBrushInside) {
    TBitmap b(30, 30, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Width = 3;
    c.Brush.Color = clRed;
    c.Rectangle(5, 5, 25, 25);
    EXPECT_EQ(b.GetPixel(4, 15), clBlack) << "the ring is centred on the edge";
    EXPECT_EQ(b.GetPixel(6, 15), clBlack);
    EXPECT_EQ(b.GetPixel(7, 15), clRed);
    EXPECT_EQ(b.GetPixel(3, 15), clWhite);
}

TEST(RasterPens, DashStylesAlternateAndFillGapsOnlyWhenOpaque) {
    struct Case {
        const char* fault;
        TPenStyle style;
        int drawn;  // pixels drawn among the first 48
    };
    const Case cases[] = {{"dash 18 on 6 off", psDash, 36},
                          {"dot 3 on 3 off", psDot, 24},
                          {"dash-dot", psDashDot, 24},
                          {"dash-dot-dot", psDashDotDot, 30},
                          {"solid", psSolid, 48}};
    for (const Case& k : cases) {
        TBitmap b(50, 3, clWhite);
        TRasterCanvas c(&b);
        c.Pen.Style = k.style;
        c.SetBkMode(TRANSPARENT);
        c.Line(0, 1, 48, 1);
        EXPECT_EQ(CountPixels(b, clBlack), k.drawn) << k.fault;
        EXPECT_EQ(CountPixels(b, clWhite), 150 - k.drawn) << k.fault << ": transparent gaps stay untouched";
        TBitmap o(50, 3, clWhite);
        TRasterCanvas oc(&o);
        oc.Pen.Style = k.style;
        oc.SetBkColor(clYellow);
        oc.Line(0, 1, 48, 1);
        EXPECT_EQ(CountPixels(o, clYellow), 48 - k.drawn) << k.fault << ": opaque gaps take the background";
    }
    TBitmap r(30, 30, clWhite);
    TRasterCanvas rc(&r);
    rc.Pen.Style = psDot;
    rc.SetBkMode(TRANSPARENT);
    rc.Brush.Style = TBrushStyle::bsClear;
    rc.Rectangle(0, 0, 5, 5);
    // Outline of 16 steps: dots 3 on 3 off carried round the corners, not restarted at each one.
    EXPECT_EQ(CountPixels(r, clBlack), 9) << "the dash pattern runs on across corners";

    TBitmap b(10, 3, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Style = psClear;
    c.Line(0, 1, 9, 1);
    EXPECT_EQ(CountPixels(b, clWhite), 30) << "a clear pen draws nothing";
}

TEST(RasterPens, DashedRowsMatchDashedColumns) {
    // A row takes each dash as one span, a column goes pixel by pixel: the same path along rows
    // and, turned, along columns must give the same pixels, turned.
    struct Case {
        const char* fault;
        TPenStyle style;
        std::vector<TPoint> path;  // along rows
        bool opaque;
    };
    const Case cases[] = {
        {"rightward dashes", psDash, {Point(2, 1), Point(37, 1)}, false},
        {"leftward dash-dots start at the right end", psDashDot, {Point(37, 1), Point(2, 1)}, false},
        {"a row clipped at both ends keeps the pattern's phase", psDashDotDot, {Point(-13, 1), Point(60, 1)}, false},
        {"opaque gaps, leftward and clipped", psDot, {Point(45, 1), Point(-7, 1)}, true},
        {"the phase runs on from row to row", psDashDot, {Point(3, 1), Point(10, 1), Point(10, 3), Point(0, 3)}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.fault);
        TBitmap rows(40, 5, clWhite), columns(5, 40, clWhite);
        std::vector<TPoint> turned;
        for (const TPoint& p : k.path) turned.push_back(Point(p.Y, p.X));
        const auto draw = [&k](TBitmap& bitmap, const std::vector<TPoint>& path) {
            TRasterCanvas c(&bitmap);
            c.Pen.Style = k.style;
            if (k.opaque)
                c.SetBkColor(clYellow);
            else
                c.SetBkMode(TRANSPARENT);
            c.Polyline(path);
        };
        draw(rows, k.path);
        draw(columns, turned);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 5; ++y) ASSERT_EQ(rows.GetPixel(x, y), columns.GetPixel(y, x)) << x << "," << y;
    }
}

TEST(RasterPens, NotXorInvertsEachPixelOfAWidePathOnce) {
    // The pieces of a wide path overlap at its joins: a pixel inverted twice would come back
    // white where the same path in copy mode is red (not (white xor red) is red).
    const std::array<TPoint, 4> path{Point(2, 2), Point(17, 3), Point(9, 16), Point(3, 9)};
    TBitmap copied(20, 20, clWhite), inverted(20, 20, clWhite);
    TRasterCanvas c(&copied), n(&inverted);
    c.Pen = TPen{clRed, 5, psSolid, TPenMode::pmCopy};
    n.Pen = TPen{clRed, 5, psSolid, TPenMode::pmNotXor};
    c.Polyline(path);
    n.Polyline(path);
    EXPECT_TRUE(SamePixels(inverted, copied));
}

TEST(RasterPens, NotXorDrawnTwiceRestoresThePicture) {
    TBitmap b(20, 20, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clAqua;
    c.Pen.Style = psClear;
    c.Rectangle(0, 0, 10, 20);
    const TBitmap before = b;
    c.Pen = TPen{clRed, 1, psSolid, TPenMode::pmNotXor};
    c.Line(0, 5, 20, 5);
    EXPECT_EQ(b.GetPixel(15, 5), RGB(255, 0, 0)) << "not (white xor red) is red";
    EXPECT_EQ(b.GetPixel(5, 5), RGB(0, 0, 0)) << "not (aqua xor red) is black";
    c.Pen.Width = 3;
    const std::array<TPoint, 4> path{Point(2, 10), Point(15, 10), Point(15, 18), Point(2, 12)};
    c.Polyline(path);
    c.Polyline(path);
    c.Pen.Width = 1;
    c.Line(0, 5, 20, 5);
    EXPECT_TRUE(SamePixels(b, before));
}

TEST(RasterPens, HatchBrushesUseBackgroundColourAndMode) {
    TBitmap b(16, 16, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Style = psClear;
    c.Brush = TBrush{clBlack, TBrushStyle::bsHorizontal, nullptr};
    c.SetBkColor(clYellow);
    c.SetBkMode(OPAQUE);
    c.FillRect(Rect(0, 0, 16, 16));
    EXPECT_EQ(CountPixels(b, clBlack), 32) << "one line in eight rows";
    EXPECT_EQ(CountPixels(b, clYellow), 256 - 32) << "opaque gaps take the background colour";

    struct Case {
        const char* fault;
        TBrushStyle style;
        int lines;
    };
    using enum TBrushStyle;
    const Case cases[] = {{"vertical", bsVertical, 32},  {"forward diagonal", bsFDiagonal, 32},
                          {"backward diagonal", bsBDiagonal, 32}, {"cross", bsCross, 60},
                          {"diagonal cross", bsDiagCross, 64}};
    for (const Case& k : cases) {
        TBitmap t(16, 16, clWhite);
        TRasterCanvas tc(&t);
        tc.Brush = TBrush{clBlack, k.style, nullptr};
        tc.SetBkMode(TRANSPARENT);
        tc.FillRect(Rect(0, 0, 16, 16));
        EXPECT_EQ(CountPixels(t, clBlack), k.lines) << k.fault;
        EXPECT_EQ(CountPixels(t, clWhite), 256 - k.lines) << k.fault << ": transparent gaps untouched";
    }
}

TEST(RasterPens, SystemColoursResolveToFixedRgb) {
    TBitmap b(3, 1, clBlack);
    TRasterCanvas c(&b);
    c.SetPixel(0, 0, clBtnFace);
    c.SetPixel(1, 0, clBtnShadow);
    c.SetPixel(2, 0, clBtnHighlight);
    EXPECT_EQ(b.GetPixel(0, 0), RGB(192, 192, 192));
    EXPECT_EQ(b.GetPixel(1, 0), RGB(128, 128, 128));
    EXPECT_EQ(b.GetPixel(2, 0), RGB(255, 255, 255));
    c.Brush.Color = clNone;
    c.FillRect(Rect(0, 0, 3, 1));
    EXPECT_EQ(b.GetPixel(0, 0), RGB(192, 192, 192)) << "clNone draws nothing";
}
