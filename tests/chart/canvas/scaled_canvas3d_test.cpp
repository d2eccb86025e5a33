// The fine canvas draws the plain canvas's pixels N x N as large wherever the plain raster's
// conventions decide them exactly: boxes, straight lines, dashes, bevels, hatches, clips.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <utility>

#include "chart/canvas/scaled_canvas3d.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr int kWidth = 40, kHeight = 30;

TEST(ScaledCanvas3D, EveryPixelBecomesABlockOfFinePixels) {
    // Where the rings of a wide pen or a bevel meet at a corner, the fine rings split the corner's
    // block diagonally: a few fine pixels take the other ring's colour.
    constexpr int kCorners = 4;
    const struct {
        const char* shape;
        std::function<void(TRasterCanvas3D&)> draw;
        int cornerBlocks = 0;
    } cases[] = {
        {"box with a one-pixel pen", [](TRasterCanvas3D& c) { c.Rectangle(3, 4, 20, 17); }},
        {"box with a two-pixel pen",
         [](TRasterCanvas3D& c) {
             c.Pen.Width = 2;
             c.Rectangle(3, 4, 20, 17);
         },
         kCorners},
        {"box without a pen",
         [](TRasterCanvas3D& c) {
             c.Pen.Style = psClear;
             c.Brush.Color = clRed;
             c.Rectangle(3, 4, 20, 17);
         }},
        {"fill", [](TRasterCanvas3D& c) { c.FillRect(Rect(5, 5, 30, 9)); }},
        {"lines that stop short of their end",
         [](TRasterCanvas3D& c) {
             c.Line(2, 2, 30, 2);
             c.Line(30, 3, 30, 25);
             c.Line(25, 20, 5, 20);
         }},
        {"dotted line on an opaque background",
         [](TRasterCanvas3D& c) {
             c.Pen.Style = psDot;
             c.SetBkColor(clYellow);
             c.Polyline(std::array<TPoint, 3>{Point(1, 5), Point(35, 5), Point(35, 28)});
         }},
        {"dashes on a clear background",
         [](TRasterCanvas3D& c) {
             c.Pen.Style = psDashDot;
             c.SetBkMode(TRANSPARENT);
             c.Line(0, 10, 40, 10);
         }},
        {"bevel frame",
         [](TRasterCanvas3D& c) {
             TRect r = Rect(2, 2, 38, 28);
             c.BevelFrame(r, clWhite, clGray, 2);
             c.FillRect(r);
         },
         kCorners},
        {"polygon of straight edges",
         [](TRasterCanvas3D& c) {
             c.Brush.Color = clLime;
             c.Polygon(std::array<TPoint, 6>{Point(4, 4), Point(30, 4), Point(30, 12), Point(18, 12), Point(18, 25),
                                             Point(4, 25)});
         }},
        {"hatched fill",
         [](TRasterCanvas3D& c) {
             c.Brush.Style = TBrushStyle::bsDiagCross;
             c.Brush.Color = clBlue;
             c.SetBkColor(clAqua);
             c.FillRect(Rect(0, 0, 33, 27));
         }},
        {"pixels", [](TRasterCanvas3D& c) { c.PixelAtZ(7, 9, 0, clRed); }},
        {"clip",
         [](TRasterCanvas3D& c) {
             c.SetClipRect(Rect(6, 6, 20, 15));
             c.Brush.Color = clNavy;
             c.FillRect(Rect(0, 0, 40, 30));
             c.ClearClip();
         }},
    };
    for (const auto& c : cases) {
        TBitmap plain(kWidth, kHeight, clSilver);
        TRasterCanvas3D coarse;
        TRect work;
        coarse.SetBuffered(false);
        coarse.BeginView(&plain, nullptr, work, Rect(0, 0, kWidth, kHeight), false);
        c.draw(coarse);
        for (int scale : {2, 3}) {
            TBitmap fine(kWidth * scale, kHeight * scale, clSilver);
            TScaledCanvas3D canvas(scale);
            canvas.SetBuffered(false);
            canvas.BeginView(&fine, nullptr, work, Rect(0, 0, kWidth, kHeight), false);
            c.draw(canvas);
            int wrong = 0;
            for (int y = 0; y < fine.Height(); ++y)
                for (int x = 0; x < fine.Width(); ++x) wrong += fine.GetPixel(x, y) != plain.GetPixel(x / scale, y / scale);
            EXPECT_LE(wrong, c.cornerBlocks * scale * scale) << c.shape << " at scale " << scale;
        }
    }
}

// Left, top, right and bottom of the pixels that are not white.
std::array<int, 4> InkBox(const TBitmap& bitmap) {
    std::array<int, 4> box{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (bitmap.GetPixel(x, y) == clWhite) continue;
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1), std::max(box[3], y + 1)};
        }
    return box;
}

TEST(ScaledCanvas3D, TextIsMeasuredInChartPixelsAndDrawnScaleTimesAsLarge) {
    TBitmap coarse(100, 30, clWhite), fine(200, 60, clWhite);
    TRasterCanvas3D plain;
    TScaledCanvas3D canvas(2);
    TRect work;
    for (auto [c, bitmap] : {std::pair<TRasterCanvas3D*, TBitmap*>{&plain, &coarse}, {&canvas, &fine}}) {
        c->SetBuffered(false);
        c->BeginView(bitmap, nullptr, work, Rect(0, 0, 100, 30), false);
        c->Font.Size = 8;
        c->SetTextAlign(TA_LEFT | TA_BASELINE);
        c->TextOut(10, 20, "Antworten");
    }
    EXPECT_EQ(canvas.TextWidth("Antworten"), plain.TextWidth("Antworten"));
    const std::array<int, 4> small = InkBox(coarse), large = InkBox(fine);
    for (int side : {0, 1, 3}) EXPECT_NEAR(large[side], 2 * small[side], 3) << "side " << side;
    // Glyph advances are whole pixels at either size, so the width may differ by a few percent.
    EXPECT_NEAR(large[2] - large[0], 2 * (small[2] - small[0]), (small[2] - small[0]) / 5);
}

}  // namespace
