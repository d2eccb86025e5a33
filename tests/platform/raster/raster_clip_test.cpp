// Clipping: nothing outside a clip rectangle or polygon changes, and huge geometry stays cheap.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/raster/raster_canvas.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

namespace {

constexpr int kBig = std::numeric_limits<int>::max();
constexpr int kSmall = std::numeric_limits<int>::min();

struct Drawing {
    const char* name;
    std::function<void(TRasterCanvas&)> draw;
};

std::vector<Drawing> EveryOperation() {
    return {
        {"rectangle", [](TRasterCanvas& c) { c.Rectangle(-5, -5, 40, 40); }},
        {"fill rect", [](TRasterCanvas& c) { c.FillRect(Rect(-5, -5, 40, 40)); }},
        {"ellipse", [](TRasterCanvas& c) { c.Ellipse(-3, 2, 37, 30); }},
        {"round rect", [](TRasterCanvas& c) { c.RoundRect(-3, 2, 37, 30, 10, 8); }},
        {"pie", [](TRasterCanvas& c) { c.Pie(-3, -3, 37, 37, 30, 0, 0, 30); }},
        {"arc", [](TRasterCanvas& c) { c.Arc(8, 4, 28, 24, 30, 0, 0, 30); }},
        {"polygon", [](TRasterCanvas& c) {
             const std::array<TPoint, 4> p{Point(-10, 15), Point(15, -10), Point(40, 15), Point(15, 40)};
             c.Polygon(p);
         }},
        {"wide line", [](TRasterCanvas& c) { c.Pen.Width = 5; c.Line(-10, -10, 40, 40); }},
        {"dotted line", [](TRasterCanvas& c) { c.Pen.Style = psDot; c.Line(0, 15, 30, 15); }},
        {"pixels", [](TRasterCanvas& c) { for (int i = 0; i < 30; ++i) c.SetPixel(i, i, clRed); }},
        {"bevel", [](TRasterCanvas& c) { TRect r = Rect(0, 0, 30, 30); c.BevelFrame(r, clRed, clBlue, 15); }},
        {"gradient", [](TRasterCanvas& c) { c.GradientFillRect(Rect(0, 0, 30, 30), clRed, gdTopBottom, clBlue); }},
        {"gradient from centre", [](TRasterCanvas& c) { c.GradientFillRect(Rect(0, 0, 30, 30), clRed, gdFromCenter, clBlue); }},
        {"gradient from top left", [](TRasterCanvas& c) { c.GradientFillRect(Rect(0, 0, 30, 30), clRed, gdFromTopLeft, clBlue); }},
        {"text", [](TRasterCanvas& c) { c.Font.Size = 20; c.TextOut(-4, 2, "WWWWW"); }},
        {"rotated text", [](TRasterCanvas& c) { c.Font.Size = 20; c.RotatedText(2, 30, "WWWWW", 60); }},
        {"draw", [](TRasterCanvas& c) { TBitmap s(40, 40, clRed); c.Draw(-5, -5, s); }},
        {"stretch draw", [](TRasterCanvas& c) { TBitmap s(3, 3, clRed); c.StretchDraw(Rect(-5, -5, 40, 40), s); }},
    };
}

}  // namespace

TEST(RasterClip, NothingOutsideTheClipRectangleChanges) {
    const TRect clip = Rect(7, 9, 21, 18);
    for (const Drawing& d : EveryOperation()) {
        TBitmap b(30, 30, clWhite);
        TRasterCanvas c(&b);
        c.Brush.Color = clGreen;
        c.SetClipRect(clip);
        d.draw(c);
        EXPECT_TRUE(SamePixelsOutside(b, TBitmap(30, 30, clWhite), clip)) << d.name;
        EXPECT_NE(CountPixels(b, clWhite), 900) << d.name << " draws something inside the clip";
    }
}

TEST(RasterClip, ClipRectangleIsHalfOpenAndCanBeLifted) {
    TBitmap b(10, 10, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.SetClipRect(Rect(2, 3, 6, 7));
    c.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(InkBox(b, clWhite), Rect(2, 3, 6, 7));
    c.ClearClip();
    c.Brush.Color = clBlue;
    c.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(CountPixels(b, clBlue), 100);
}

TEST(RasterClip, ClipPolygonKeepsOnlyItsInterior) {
    const std::array<TPoint, 3> triangle{Point(0, 0), Point(20, 0), Point(0, 20)};
    TBitmap mask(20, 20, clWhite);
    {
        TRasterCanvas m(&mask);
        m.Pen.Style = psClear;
        m.Brush.Color = clBlack;
        m.Polygon(triangle);
    }
    for (const Drawing& d : EveryOperation()) {
        TBitmap b(20, 20, clWhite);
        TRasterCanvas c(&b);
        c.Brush.Color = clGreen;
        c.SetClipPolygon(triangle);
        d.draw(c);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                if (mask.GetPixel(x, y) == clWhite) {
                    ASSERT_EQ(b.GetPixel(x, y), clWhite) << d.name << " at " << x << "," << y;
                }
            }
        }
    }
}

// Far-off and enormous geometry must neither overflow nor walk invisible pixels; each call here
// would take minutes if it did.
TEST(RasterClip, HugeCoordinatesAreClippedBeforeRasterising) {
    TBitmap b(40, 30, clWhite);
    TRasterCanvas c(&b);
    c.Brush.Color = clRed;
    c.Ellipse(20 - 2000000000, 15 - 2000000000, 20 + 2000000000, 15 + 2000000000);
    EXPECT_EQ(CountPixels(b, clRed), 1200) << "an ellipse around the raster covers all of it";
    c.Pen.Width = 1000000000;
    c.Line(kSmall, kSmall, kBig, kBig);
    EXPECT_EQ(CountPixels(b, clBlack), 1200) << "a pen of a billion pixels covers everything near its line";
    c.Pen.Width = 1;
    c.Brush.Color = clBlue;
    c.Rectangle(kSmall, kSmall, kBig, kBig);
    EXPECT_EQ(CountPixels(b, clBlue), 1200);
    c.Line(kSmall, 3, kBig, 3);
    EXPECT_EQ(CountPixels(b, clBlack), 40);
    c.Pie(kSmall, kSmall, kBig, kBig, kBig, 0, 0, kSmall);
    c.Arc(kSmall, kSmall, kBig, kBig, kBig, 0, 0, kSmall);
    c.RoundRect(kSmall, kSmall, kBig, kBig, kBig, kBig);
    const std::array<TPoint, 3> tri{Point(kSmall, kSmall), Point(kBig, 0), Point(0, kBig)};
    c.Polygon(tri);
    c.Pen.Width = kBig;
    c.Polygon(tri);
    c.Pen.Style = psDot;
    c.Pen.Width = 1;
    c.Line(kSmall, kSmall, kBig, kBig);
    TRect r = Rect(kSmall, kSmall, kBig, kBig);
    c.BevelFrame(r, clRed, clBlue, kBig);
    for (TGradientDirection g : {gdTopBottom, gdLeftRight, gdFromCenter, gdFromTopLeft, gdFromBottomLeft})
        c.GradientFillRect(Rect(kSmall, kSmall, kBig, kBig), clRed, g, clBlue);
    c.Font.Size = 100000;
    c.TextOut(5, 5, "Huge text");
    c.RotatedText(5, 5, "Huge text", 33);
    c.Font.Size = 8;
    c.TextOut(kBig, kBig, std::string(10000, 'W'));
    c.TextOut(kSmall, 10, std::string(10000, 'W'));
    c.SetClipPolygon(tri);
    c.FillRect(Rect(kSmall, kSmall, kBig, kBig));
    SUCCEED();
}
