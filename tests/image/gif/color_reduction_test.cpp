// Colour reduction before GIF encoding: a richer bitmap keeps its most used colours and the rest
// move to their nearest kept colour.
#include <gtest/gtest.h>

#include <set>

#include "image/gif/color_reduction.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

namespace {

std::set<TColor> ColorsOf(const TBitmap& bitmap) {
    std::set<TColor> colors;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) colors.insert(bitmap.GetPixel(x, y));
    return colors;
}

TEST(ColorReduction, KeepsTheMostUsedColoursAndMapsTheRestToTheNearest) {
    // Rows 0 and 1 hold 256 reds, each twice; row 2 starts with 44 colours used once, each one
    // step of blue away from the red above it.
    TBitmap bitmap(256, 3, clWhite);
    for (int x = 0; x < 256; ++x) {
        const unsigned red = static_cast<unsigned>(x);
        bitmap.SetPixel(x, 0, RGB(red, 0, 0));
        bitmap.SetPixel(x, 1, RGB(red, 0, 0));
        bitmap.SetPixel(x, 2, x < 44 ? RGB(red, 0, 1) : RGB(red, 0, 0));
    }
    ASSERT_EQ(ColorsOf(bitmap).size(), 300u);

    ReduceColors(bitmap);

    EXPECT_EQ(ColorsOf(bitmap).size(), 256u);
    for (int x = 0; x < 256; ++x) {
        const TColor red = RGB(static_cast<unsigned>(x), 0, 0);
        EXPECT_EQ(bitmap.GetPixel(x, 0), red) << "a most used colour is kept";
        EXPECT_EQ(bitmap.GetPixel(x, 2), red) << "a surplus colour takes its nearest kept one";
    }
}

TEST(ColorReduction, LeavesABitmapWithinTheLimitAsItIs) {
    TBitmap bitmap(256, 2, RGB(0, 7, 9));
    for (int x = 0; x < 256; ++x) bitmap.SetPixel(x, 0, RGB(static_cast<unsigned>(x), 7, 9));
    const TBitmap before = bitmap;
    ReduceColors(bitmap);
    for (int x = 0; x < 256; ++x) EXPECT_EQ(bitmap.GetPixel(x, 0), before.GetPixel(x, 0));
}

}  // namespace
