// Pixel probes of drawn charts: panel, walls in 2D and 3D, border bevels, axes and series.
#include <gtest/gtest.h>

#include <set>

#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

std::set<TColor> Colours(const TBitmap& bitmap) {
    std::set<TColor> colours;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) colours.insert(bitmap.GetPixel(x, y));
    return colours;
}

}  // namespace

TEST(ChartPixels, DefaultPlotAreaIsASilverRectangleWithABlackFrame) {
    TChart chart;
    ApplyDefaultRequest(chart);
    const TBitmap b = Render(chart);
    struct Probe {
        const char* what;
        int x, y;
        TColor expected;
    };
    const Probe probes[] = {
        {"panel corner", 2, 2, clWhite},
        {"panel beside the plot", 6, 100, clWhite},
        {"left frame", 12, 100, clBlack},
        {"right frame one pixel beyond PlotRect.Right - 1", 388, 100, clBlack},
        {"inside next to the right frame", 387, 100, clSilver},
        {"panel right of the frame", 389, 100, clWhite},
        {"top frame", 200, 25, clBlack},
        {"bottom frame", 200, 224, clBlack},
        {"panel below the frame", 200, 225, clWhite},
        {"plot inside", 200, 125, clSilver},
    };
    for (const Probe& p : probes) EXPECT_EQ(b.GetPixel(p.x, p.y), p.expected) << p.what;
    EXPECT_EQ(Colours(b), (std::set<TColor>{clWhite, clSilver, clBlack})) << "no axis, legend or title";
}

TEST(ChartPixels, BorderGivesARaisedOuterAndALoweredInnerBevel) {
    TChart chart;
    ApplyStoredChartSettings(chart);
    chart.View3D = false;
    const TBitmap b = Render(chart);
    const TColor highlight = 0xFFFFFF, shadow = 0x808080;
    EXPECT_EQ(b.GetPixel(0, 100), highlight);
    EXPECT_EQ(b.GetPixel(100, 0), highlight);
    EXPECT_EQ(b.GetPixel(399, 100), shadow);
    EXPECT_EQ(b.GetPixel(100, 249), shadow);
    EXPECT_EQ(b.GetPixel(1, 100), shadow);
    EXPECT_EQ(b.GetPixel(100, 1), shadow);
    EXPECT_EQ(b.GetPixel(398, 100), highlight);
    EXPECT_EQ(b.GetPixel(100, 248), highlight);
    EXPECT_EQ(b.GetPixel(2, 100), clWhite);
}

TEST(ChartPixels, WallsIn3DTakeTheirColours) {
    TChart chart;
    ApplyStoredChartSettings(chart);
    chart.View3DOptions.Orthogonal = true;
    chart.BottomWall.Color = clBlue;
    const TBitmap b = Render(chart);
    const TRect p = chart.PlotRect;  // (12, 44, 369, 225) with a depth of 19
    const int d = chart.DepthTotal;
    ASSERT_EQ(d, 19);
    const int shift = chart.View3DOptions.HorizOffset;
    EXPECT_EQ(b.GetPixel(chart.PlotXCenter + d + shift, chart.PlotYCenter - d), clSilver) << "back wall";
    EXPECT_EQ(b.GetPixel(p.Left + d / 2 + shift, chart.PlotYCenter - d / 2), TColor{0x80FFFF}) << "left wall";
    EXPECT_EQ(b.GetPixel(chart.PlotXCenter + d / 2 + shift, p.Bottom - d / 2), clBlue) << "floor";
    EXPECT_EQ(b.GetPixel(p.Left + shift, chart.PlotYCenter), clBlack) << "left wall's front edge";
    EXPECT_EQ(b.GetPixel(chart.PlotXCenter + shift, p.Bottom), clBlack) << "floor's front edge";
    EXPECT_EQ(Colours(b), (std::set<TColor>{clWhite, clSilver, clBlack, clBlue, TColor{0x80FFFF},
                                            TColor{0x808080}}))
        << "panel, walls, outlines and the bevels only";
}

TEST(ChartPixels, UnsetWallColourIsOutlinedOnly) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.BackWall.Color = AutoColor;
    chart.BackWall.Brush.Style = TBrushStyle::bsSolid;
    const TBitmap b = Render(chart);
    EXPECT_EQ(b.GetPixel(200, 125), clWhite);
    EXPECT_EQ(b.GetPixel(12, 125), clBlack);
}

TEST(ChartPixels, SeriesAxesAndLegendAreDrawn) {
    TChart chart;
    ApplyDefaultRequest(chart);
    TTestSeries series;
    series.SetParentChart(&chart);
    series.SetColorEachPoint(true);
    series.MarginLeft = series.MarginRight = 10;  // value range exactly 18..67: no grid line on the axis
    for (double v : {67.0, 58.0, 32.0, 18.0}) series.AppendValue(v, "x");
    const TBitmap b = Render(chart);
    EXPECT_EQ(b.GetPixel(series.PointPixelX(1), series.PointPixelY(1)), clGreen);
    EXPECT_EQ(b.GetPixel(series.PointPixelX(2), series.PointPixelY(2)), clYellow);
    EXPECT_EQ(series.Begun, 1);
    EXPECT_EQ(series.Ended, 1);
    // The bottom axis line lies on the plot's bottom edge, its ticks below it in gray.
    const TRect& p = chart.PlotRect;
    EXPECT_EQ(b.GetPixel(p.Left + 20, p.Bottom), clBlack);
    EXPECT_EQ(b.GetPixel(series.PointPixelX(1), p.Bottom + 3), clGray);
    // The legend's colour boxes: red first.
    const TRect& r = chart.Legend.LegendRect;
    EXPECT_EQ(b.GetPixel(r.Left + 4 + chart.Legend.BoxWidth / 2, r.Top + 1 + 6), clRed);
}

TEST(ChartPixels, TitleTakesAFontHeightAndFivePixels) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.AxisVisible = false;
    chart.Legend.Visible = false;
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(3, "x");
    chart.Title.Text = {"181 Antworten"};
    chart.Title.Visible = true;
    const TBitmap b = Render(chart);
    chart.AssignCanvasFont(chart.Title.Font);
    const int fh = chart.Canvas().FontHeight();
    EXPECT_EQ(chart.PlotRect.Top, 25 + fh + 5);
    bool blue = false;
    for (int y = 25; y < 25 + fh; ++y)
        for (int x = 150; x < 250; ++x) blue = blue || b.GetPixel(x, y) == clBlue;
    EXPECT_TRUE(blue) << "the title is drawn in blue above the plot";
}
