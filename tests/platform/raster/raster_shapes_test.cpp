// Pixel probes for the raster conventions of rectangles, ellipses, polygons and pies.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "platform/raster/raster_canvas.h"
#include "platform/raster/raster_shapes.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

namespace {

struct Probe {
    const char* fault;
    int x, y;
    TColor expected;
};

void ExpectProbes(const TBitmap& b, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) EXPECT_EQ(b.GetPixel(p.x, p.y), p.expected) << p.fault << " at " << p.x << "," << p.y;
}

}  // namespace

TEST(RasterShapes, RectangleCoversLeftToRightMinusOne) {
    TBitmap b(8, 6, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.Rectangle(1, 1, 5, 4);
    ExpectProbes(b, {{"top-left corner is pen", 1, 1, clBlack},
                     {"right edge is column right-1", 4, 1, clBlack},
                     {"bottom edge is row bottom-1", 1, 3, clBlack},
                     {"column right stays untouched", 5, 1, clWhite},
                     {"row bottom stays untouched", 1, 4, clWhite},
                     {"interior is brush", 2, 2, clRed},
                     {"interior reaches the right edge", 3, 2, clRed}});
    EXPECT_EQ(CountPixels(b, clBlack), 10);
    EXPECT_EQ(CountPixels(b, clRed), 2);
}

TEST(RasterShapes, ClearPenFillsWholeRectClearBrushFillsNothing) {
    TBitmap b(8, 6, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Style = psClear;
    c.Brush.Color = clBlue;
    c.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(CountPixels(b, clBlue), 12) << "a clear pen leaves the whole rectangle to the brush";
    EXPECT_EQ(InkBox(b, clWhite), Rect(1, 1, 5, 4));

    TBitmap b2(8, 6, clWhite);
    TRasterCanvas c2(&b2);
    c2.Brush.Style = TBrushStyle::bsClear;
    c2.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(b2.GetPixel(2, 2), clWhite) << "a clear brush fills nothing";
    EXPECT_EQ(CountPixels(b2, clBlack), 10);

    c2.Pen.Style = psClear;
    c2.Brush.Style = TBrushStyle::bsClear;
    c2.Rectangle(0, 0, 8, 6);
    EXPECT_EQ(CountPixels(b2, clBlack), 10) << "clear pen and clear brush draw nothing";
}

TEST(RasterShapes, FillRectAndInvertedRectangles) {
    TBitmap b(8, 6, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clGreen;
    c.FillRect(Rect(2, 1, 6, 3));
    EXPECT_EQ(InkBox(b, clWhite), Rect(2, 1, 6, 3));
    c.FillRect(Rect(6, 5, 2, 4));
    EXPECT_EQ(CountPixels(b, clGreen), 8) << "FillRect of an inverted rectangle fills nothing";
    c.Brush.Color = clRed;
    c.Pen.Style = psClear;
    c.Rectangle(5, 5, 1, 4);
    EXPECT_EQ(CountPixels(b, clRed), 4) << "Rectangle takes its corners in either order";
}

TEST(RasterShapes, EllipseStaysInsideItsBoxAndTouchesEveryEdge) {
    for (const TRect& box : {Rect(1, 1, 9, 7), Rect(2, 3, 3, 4), Rect(0, 0, 20, 20), Rect(3, 1, 17, 4)}) {
        TBitmap b(22, 22, clWhite);
        TRasterCanvas c(&b);
        c.Brush.Color = clRed;
        c.Ellipse(box.Left, box.Top, box.Right, box.Bottom);
        EXPECT_EQ(InkBox(b, clWhite), box) << "ellipse " << box.Left << "," << box.Top << "," << box.Right << "," << box.Bottom;
    }
    TBitmap b(22, 22, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.Ellipse(0, 0, 20, 20);
    EXPECT_EQ(b.GetPixel(0, 0), clWhite) << "corners of the box lie outside the ellipse";
    EXPECT_EQ(b.GetPixel(10, 10), clRed);
    EXPECT_EQ(b.GetPixel(0, 10), clBlack) << "outline on the left edge";
    EXPECT_EQ(b.GetPixel(19, 10), clBlack) << "outline on column right-1";
}

TEST(RasterShapes, RoundRectCornersAreCut) {
    TBitmap b(12, 12, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.RoundRect(0, 0, 12, 10, 6, 6);
    EXPECT_EQ(InkBox(b, clWhite), Rect(0, 0, 12, 10));
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
    EXPECT_EQ(b.GetPixel(11, 9), clWhite);
    EXPECT_EQ(b.GetPixel(6, 0), clBlack);
    EXPECT_EQ(b.GetPixel(6, 5), clRed);
}

TEST(RasterShapes, PolygonFillsEvenOddAndOutlinesWithPen) {
    TBitmap b(21, 21, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.Pen.Style = psClear;
    // A five-pointed star drawn in one stroke: its centre is crossed twice, so even-odd leaves it empty.
    std::array<TPoint, 5> star;
    for (int k = 0; k < 5; ++k) {
        const double a = M_PI / 2 + k * 4 * M_PI / 5;
        star[k] = Point(static_cast<int>(std::lround(10 + 10 * std::cos(a))), static_cast<int>(std::lround(10 - 10 * std::sin(a))));
    }
    c.Polygon(star);
    EXPECT_EQ(b.GetPixel(10, 10), clWhite) << "even-odd: the pentagon in the middle stays empty";
    EXPECT_EQ(b.GetPixel(10, 3), clRed) << "the top point is filled";

    TBitmap o(8, 8, clWhite);
    TRasterCanvas oc(&o);
    oc.Brush.Style = TBrushStyle::bsClear;
    const std::array<TPoint, 3> tri{Point(1, 1), Point(6, 1), Point(1, 6)};
    oc.Polygon(tri);
    EXPECT_EQ(o.GetPixel(6, 1), clBlack) << "the closed outline reaches every vertex";
    EXPECT_EQ(o.GetPixel(1, 6), clBlack);
    EXPECT_EQ(o.GetPixel(2, 2), clWhite);
}

// Each polygon is drawn alone; every pixel inside the union must be covered exactly once.
TEST(RasterShapes, AdjacentPolygonsCoverEachPixelOnce) {
    const int n = 40;
    std::vector<int> count(n * n, 0);
    const TPoint centre = Point(19, 21);
    std::vector<TPoint> ring{Point(0, 0), Point(13, 0), Point(40, 0), Point(40, 17), Point(40, 40),
                             Point(27, 40), Point(0, 40), Point(0, 29), Point(0, 3)};
    auto add = [&](std::span<const TPoint> poly) {
        TBitmap b(n, n, clWhite);
        TRasterCanvas c(&b);
        c.Pen.Style = psClear;
        c.Brush.Color = clBlack;
        c.Polygon(poly);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) count[y * n + x] += b.GetPixel(x, y) == clBlack ? 1 : 0;
    };
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const std::array<TPoint, 3> fan{centre, ring[i], ring[(i + 1) % ring.size()]};
        add(fan);
    }
    for (int i = 0; i < n * n; ++i) ASSERT_EQ(count[i], 1) << "pixel " << i % n << "," << i / n;
}

TEST(RasterShapes, SlicesOfAFullPieCoverEachPixelOnce) {
    const int n = 41;
    const std::vector<double> cuts{0, 0.7, 1.3, 1.9, 3.14159, 4.0, 5.5};
    std::vector<int> count(n * n, 0);
    TBitmap whole(n, n, clWhite);
    {
        TRasterCanvas c(&whole);
        c.Pen.Style = psClear;
        c.Brush.Color = clBlack;
        c.Ellipse(1, 2, 40, 39);
    }
    auto at = [&](double a) { return Point(20 + static_cast<int>(std::lround(100 * std::cos(a))), 20 - static_cast<int>(std::lround(100 * std::sin(a)))); };
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        TBitmap b(n, n, clWhite);
        TRasterCanvas c(&b);
        c.Pen.Style = psClear;
        c.Brush.Color = clBlack;
        const TPoint s = at(cuts[i]), e = at(cuts[(i + 1) % cuts.size()]);
        c.Pie(1, 2, 40, 39, s.X, s.Y, e.X, e.Y);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) count[y * n + x] += b.GetPixel(x, y) == clBlack ? 1 : 0;
    }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            ASSERT_EQ(count[y * n + x], whole.GetPixel(x, y) == clBlack ? 1 : 0) << "pixel " << x << "," << y;
}

TEST(RasterShapes, PieGoesCounterClockwiseAndEqualRaysGiveWholeEllipse) {
    TBitmap b(21, 21, clWhite);
    TRasterCanvas c(&b);
    c.Pen.Style = psClear;
    c.Brush.Color = clRed;
    c.Pie(0, 0, 21, 21, 20, 10, 10, 0);  // from 3 o'clock to 12 o'clock: the upper right quarter
    EXPECT_EQ(b.GetPixel(15, 5), clRed);
    EXPECT_EQ(b.GetPixel(5, 5), clWhite);
    EXPECT_EQ(b.GetPixel(15, 15), clWhite);
    TBitmap f(21, 21, clWhite);
    TRasterCanvas fc(&f);
    fc.Pen.Style = psClear;
    fc.Brush.Color = clRed;
    fc.Pie(0, 0, 21, 21, 20, 10, 20, 10);
    fc.Brush.Color = clBlue;
    TBitmap e(21, 21, clWhite);
    TRasterCanvas ec(&e);
    ec.Pen.Style = psClear;
    ec.Brush.Color = clRed;
    ec.Ellipse(0, 0, 21, 21);
    EXPECT_EQ(CountPixels(f, clRed), CountPixels(e, clRed)) << "equal start and end rays give the whole ellipse";
}

TEST(RasterShapes, ArcDrawsOnlyTheOutlineInTheSector) {
    TBitmap b(21, 21, clWhite);
    TRasterCanvas c(&b);
    c.Arc(0, 0, 21, 21, 10, 0, 20, 10);  // from 12 o'clock round the left and bottom to 3 o'clock
    EXPECT_EQ(b.GetPixel(0, 10), clBlack);
    EXPECT_EQ(b.GetPixel(10, 20), clBlack);
    EXPECT_EQ(b.GetPixel(17, 3), clWhite) << "the upper right quarter is not in the sweep";
    EXPECT_EQ(b.GetPixel(10, 10), clWhite) << "an arc has no fill and no radii";
}

// The sector filter tests pixels one by one only near the rays; it must agree with a test of
// every pixel, also for rays along a row, through the centre, or aimed far away.
TEST(RasterShapes, SectorSpansAgreeWithPixelByPixelTest) {
    struct Case {
        const char* fault;
        TRect box;
        TPoint start, end;
    };
    const Case cases[] = {
        {"ordinary slice", Rect(0, 0, 40, 30), Point(40, 0), Point(0, 10)},
        {"more than half", Rect(0, 0, 40, 30), Point(0, 10), Point(40, 0)},
        {"ray along the centre row", Rect(0, 0, 41, 31), Point(40, 15), Point(20, 0)},
        {"both rays horizontal", Rect(0, 0, 41, 31), Point(40, 15), Point(0, 15)},
        {"ray through the centre pixel", Rect(1, 1, 40, 30), Point(20, 15), Point(0, 0)},
        {"far points", Rect(-5, -7, 45, 33), Point(2000000000, -1999999999), Point(-2000000000, 3)},
        {"thin sliver", Rect(0, 0, 40, 30), Point(40, 14), Point(40, 15)},
    };
    for (const Case& k : cases) {
        const TConvexShape shape = TConvexShape::Oval(k.box.Left, k.box.Top, k.box.Right, k.box.Bottom);
        const TSector sector(shape, k.start.X, k.start.Y, k.end.X, k.end.Y);
        TSpanSet all(Rect(0, 0, 40, 30)), kept(Rect(0, 0, 40, 30));
        for (int y = 0; y < 30; ++y) all.Add(y, 0, 40);
        AddSectorSpans(sector, all, kept);
        std::vector<bool> inside(40 * 30, false);
        kept.ForEach([&](int y, int x0, int x1) {
            for (int x = x0; x < x1; ++x) inside[y * 40 + x] = true;
        });
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) ASSERT_EQ(inside[y * 40 + x], sector.Contains(x, y)) << k.fault << " at " << x << "," << y;
    }
}
