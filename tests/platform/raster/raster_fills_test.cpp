// Bevelled frames and gradients: where each ring and band lies and which colour it has.
#include <gtest/gtest.h>

#include "platform/raster/raster_canvas.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

TEST(RasterFills, BevelFrameDrawsRingsAndShrinksTheRectangle) {
    TBitmap b(12, 10, clBlack);
    TRasterCanvas c(&b);
    TRect r = Rect(1, 1, 11, 9);
    c.BevelFrame(r, clWhite, clGray, 2);
    EXPECT_EQ(r, Rect(3, 3, 9, 7)) << "the rectangle ends up width pixels smaller on every side";
    struct Probe {
        const char* fault;
        int x, y;
        TColor expected;
    };
    const Probe probes[] = {{"outer top-left corner is top colour", 1, 1, clWhite},
                            {"outer top edge", 6, 1, clWhite},
                            {"outer top-right corner belongs to the bottom colour", 10, 1, clGray},
                            {"outer right edge is column right-1", 10, 5, clGray},
                            {"outer bottom edge is row bottom-1", 5, 8, clGray},
                            {"outer bottom-left corner is bottom colour", 1, 8, clGray},
                            {"outer left edge", 1, 5, clWhite},
                            {"second ring", 2, 5, clWhite},
                            {"second ring right", 9, 5, clGray},
                            {"inside stays untouched", 5, 5, clBlack},
                            {"outside stays untouched", 11, 5, clBlack}};
    for (const Probe& p : probes) EXPECT_EQ(b.GetPixel(p.x, p.y), p.expected) << p.fault;
    EXPECT_EQ(c.Pen.Color, clBlack) << "the pen colour is restored";
}

TEST(RasterFills, VerticalGradientStartsAtTheBottomEdge) {
    TBitmap b(4, 10, clBlack);
    TRasterCanvas c(&b);
    c.GradientFillRect(Rect(0, 0, 4, 10), RGB(0, 0, 0), gdTopBottom, RGB(200, 100, 50));
    // Height 10: 11 steps over 10 bands; band k is row 9 - k with colour k / 10 of the way.
    for (int row = 0; row < 10; ++row) {
        const int k = 9 - row;
        const TColor expected = RGB((200 * k + 5) / 10, (100 * k + 5) / 10, (50 * k + 5) / 10);
        EXPECT_EQ(b.GetPixel(2, row), expected) << "row " << row;
    }
    TBitmap h(10, 2, clBlack);
    TRasterCanvas hc(&h);
    hc.GradientFillRect(Rect(0, 0, 10, 2), clWhite, gdLeftRight, clBlack);
    EXPECT_EQ(h.GetPixel(9, 0), clWhite) << "horizontal gradients start at the right edge";
    EXPECT_LT(GetRValue(h.GetPixel(0, 1)), 40);
}

TEST(RasterFills, TallGradientUsesAtMost256Colours) {
    TBitmap b(1, 1000, clBlack);
    TRasterCanvas c(&b);
    c.GradientFillRect(Rect(0, 1000, 1, 0), clBlack, gdBottomTop, clWhite);
    int changes = 0;
    for (int y = 1; y < 1000; ++y) changes += b.GetPixel(0, y) != b.GetPixel(0, y - 1) ? 1 : 0;
    EXPECT_LE(changes, 255);
    EXPECT_GT(changes, 200);
    EXPECT_EQ(b.GetPixel(0, 999), clBlack);
    EXPECT_EQ(b.GetPixel(0, 0), clWhite) << "normalised, and the rows past the last band take the last colour";
}

TEST(RasterFills, GradientFromCenterHasFirstColourOutside) {
    TBitmap b(11, 7, clBlack);
    TRasterCanvas c(&b);
    c.GradientFillRect(Rect(0, 0, 11, 7), clRed, gdFromCenter, clBlue);
    EXPECT_EQ(b.GetPixel(0, 3), clRed) << "the outer ring has the first colour";
    EXPECT_EQ(b.GetPixel(5, 0), clRed);
    // Rings step x and y together up to 5 and 3: the middle pixel is the last ring, step 5 of 5.
    EXPECT_EQ(b.GetPixel(5, 3), clBlue);
    EXPECT_EQ(b.GetPixel(4, 3), RGB(255 - 204, 0, 204));
    EXPECT_EQ(b.GetPixel(1, 3), RGB(255 - 51, 0, 51));
}

TEST(RasterFills, GradientFromTopLeftSweepsLShapes) {
    TBitmap b(6, 6, clBlack);
    TRasterCanvas c(&b);
    c.GradientFillRect(Rect(0, 0, 5, 5), clWhite, gdFromTopLeft, clBlack);
    EXPECT_EQ(b.GetPixel(0, 1), RGB(204, 204, 204)) << "step 1 of 5 runs along row 1 up to column 1";
    EXPECT_EQ(b.GetPixel(3, 1), RGB(102, 102, 102)) << "the column of step 3";
    EXPECT_EQ(b.GetPixel(1, 4), RGB(51, 51, 51)) << "the row of step 4";
    EXPECT_EQ(b.GetPixel(2, 0), clBlack) << "no L ends on the top row";
}
