// Area series: stacked positions and the slope rule, then drawn bands probed by pixel.
#include <gtest/gtest.h>

#include <string>

#include "chart/series/area_geometry.h"
#include "chart/series/area_series.h"
#include "chart/canvas/color_shade.h"
#include "tests/chart/series_fixture.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

TEST(AreaGeometry, StackedValues) {
    EXPECT_EQ(StackedAreaValue(maStacked, 5, 10, 0), 15);
    EXPECT_EQ(StackedAreaValue(maStacked100, 5, 15, 40), 50);
    EXPECT_FALSE(StackedAreaValue(maStacked100, 0, 0, 0).has_value()) << "no total, no percentage";
}

TEST(AreaGeometry, SteepRiseAgainstDepthSlope) {
    struct Case {
        const char* fault;
        int oldX, oldY, x, y;
        bool steep;
    } cases[] = {
        {"rising more than 45 degrees is steep", 0, 100, 10, 80, true},
        {"exactly 45 degrees is not", 0, 100, 10, 90, false},
        {"falling edges are never steep", 0, 80, 10, 100, false},
        {"a vertical edge is not tested", 5, 100, 5, 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(RisesSteeply(c.oldX, c.oldY, c.x, c.y, 1.0), c.steep) << c.fault;
}

using seriestest::DrawnChart;

// Counts how many pixels of the plot show a colour.
int CountColour(const DrawnChart& drawn, TColor colour) {
    int n = 0;
    const TRect& plot = drawn.chart.PlotRect;
    for (int y = plot.Top; y < plot.Bottom; ++y)
        for (int x = plot.Left; x < plot.Right; ++x) n += drawn.At(x, y) == colour;
    return n;
}

struct AreaProbe {
    DrawnChart drawn;
    TAreaSeries series;

    explicit AreaProbe(bool view3D = false) : drawn(400, 250, view3D) { series.SetParentChart(&drawn.chart); }
    TPoint PointAt(int i) const { return Point(series.PointPixelX(i), series.PointPixelY(i)); }
};

TEST(AreaSeries, OnePointDrawsNoBand) {
    AreaProbe probe;
    probe.series.AppendValue(10, "only", clRed);
    probe.series.Marks.Visible = true;
    probe.drawn.Draw();
    EXPECT_EQ(CountColour(probe.drawn, clRed), 0) << "a band needs two points";
    EXPECT_NE(probe.series.Marks.Positions.Get(0), nullptr) << "the mark is still drawn";
}

TEST(AreaSeries, SegmentTakesTheColourOfItsRightHandPoint) {
    AreaProbe probe;
    probe.series.AppendValue(30, "a", clRed);
    probe.series.AppendValue(50, "b", clBlue);
    probe.series.AppendValue(40, "c", clLime);
    probe.drawn.Draw();
    const int bottom = probe.drawn.chart.PlotRect.Bottom;
    for (int i = 1; i < 3; ++i) {
        const TPoint b = probe.PointAt(i);
        EXPECT_EQ(probe.drawn.At(b.X - 3, bottom - 2), probe.series.PointColor(i)) << "segment " << i;
    }
    EXPECT_EQ(CountColour(probe.drawn, clRed), 0) << "the first point's colour is not seen";
    const TPoint last = probe.PointAt(2);
    EXPECT_EQ(probe.drawn.At(last.X - 3, bottom - 3), clLime) << "filled down to the plot's bottom";
}

TEST(AreaSeries, UnstackedRangeIsTheDataRange) {
    AreaProbe probe;
    int k = 0;
    for (double count : {67.0, 58.0, 32.0, 18.0, 6.0}) probe.series.AppendValue(count, std::to_string(k++), AutoColor);
    EXPECT_EQ(probe.series.LowestY(), 6) << "an area does not force the axis down to 0";
    EXPECT_EQ(probe.series.HighestY(), 67);
    probe.drawn.Draw();
    EXPECT_EQ(probe.drawn.chart.LeftAxis.Minimum(), 6);
    EXPECT_EQ(probe.drawn.chart.LeftAxis.Maximum(), 67);
    EXPECT_EQ(probe.PointAt(0).X, probe.drawn.chart.PlotRect.Left) << "no margins: first point on the edge";
    EXPECT_EQ(probe.PointAt(4).Y, probe.drawn.chart.PlotRect.Bottom) << "the lowest count on the bottom edge";
}

TEST(AreaSeries, EmptyPointBreaksTheBand) {
    AreaProbe probe;
    probe.series.AppendValue(30, "a", clRed);
    probe.series.AppendValue(50, "b", clBlue);
    probe.series.AppendValue(40, "gap", clNone);
    probe.series.AppendValue(45, "d", clLime);
    probe.series.AppendValue(35, "e", clYellow);
    probe.drawn.Draw();
    const int bottom = probe.drawn.chart.PlotRect.Bottom;
    auto between = [&](int i) {
        const TPoint a = probe.PointAt(i - 1);
        const TPoint b = probe.PointAt(i);
        return probe.drawn.At((a.X + b.X) / 2, bottom - 2);
    };
    EXPECT_EQ(between(1), clBlue);
    EXPECT_NE(between(2), clBlue) << "nothing drawn into the empty point";
    EXPECT_EQ(CountColour(probe.drawn, clLime), 0) << "the point after the gap starts afresh";
    EXPECT_EQ(between(4), clYellow);
}

TEST(AreaSeries, FarOffPointsAreSkippedWithoutBreakingNeighbours) {
    AreaProbe probe;
    probe.series.AppendValue(30, "a", clRed);
    probe.series.AppendValue(50, "b", clBlue);
    probe.series.AppendValue(40, "c", clLime);
    probe.drawn.Draw();
    const int before = CountColour(probe.drawn, clLime);
    ASSERT_GT(before, 0);
    probe.series.YValues.SetValue(1, 1e12);
    probe.drawn.chart.LeftAxis.Automatic = false;
    probe.drawn.chart.LeftAxis.AutomaticMaximum = false;
    probe.drawn.chart.LeftAxis.AutomaticMinimum = false;
    probe.drawn.chart.LeftAxis.SetMinMax(0, 100);
    probe.drawn.Draw();
    ASSERT_LT(probe.PointAt(1).Y, -32766);
    EXPECT_EQ(CountColour(probe.drawn, clBlue), 0) << "the far-off point draws nothing";
    const TPoint a = probe.PointAt(0);
    const TPoint c = probe.PointAt(2);
    EXPECT_EQ(probe.drawn.At((a.X + c.X) / 2, probe.drawn.chart.PlotRect.Bottom - 2), clLime)
        << "the next point joins the last one drawn";
}

TEST(AreaSeries, ThreeDRoofDarkensSteepRisesAndAWallClosesTheBand) {
    AreaProbe probe(true);
    probe.drawn.chart.SetChart3DPercent(50);
    probe.drawn.chart.View3DOptions.Orthogonal = false;
    probe.drawn.chart.View3DOptions.Rotation = 360;
    probe.drawn.chart.View3DOptions.Elevation = 315;
    const TColor colours[] = {clRed, clBlue, clYellow, clGreen, clLime, clAqua};
    const double counts[] = {10, 12, 80, 78, 20, 22};
    for (int i = 0; i < 6; ++i) probe.series.AppendValue(counts[i], "", colours[i]);
    probe.drawn.Draw();
    const TAreaSeries& s = probe.series;
    TRasterCanvas3D& canvas = probe.drawn.chart.Canvas();
    ASSERT_GT(s.EndZ - s.StartZ, 6);
    const int middle = (s.StartZ + s.EndZ) / 2;
    auto roof = [&](int i) {
        const TPoint a = probe.PointAt(i - 1);
        const TPoint b = probe.PointAt(i);
        return probe.drawn.At(canvas.ProjectPointOut((a.X + b.X) / 2, (a.Y + b.Y) / 2, middle));
    };
    EXPECT_EQ(roof(1), clBlue) << "a gentle rise keeps the colour";
    EXPECT_EQ(roof(2), Darker(clYellow, 64)) << "a rise steeper than the depth is darker";
    EXPECT_EQ(roof(3), clGreen) << "falling edges are never darker";

    probe.drawn.chart.View3DOptions.Orthogonal = true;
    probe.drawn.Draw();
    const int bottom = probe.drawn.chart.PlotRect.Bottom;
    const TPoint last = probe.PointAt(5);
    const int wallDepth = (s.StartZ + s.EndZ) / 2;
    EXPECT_EQ(probe.drawn.At(canvas.ProjectPointOut(last.X, (last.Y + bottom) / 2, wallDepth)), clAqua)
        << "a side wall closes the band at the last point";
}

}  // namespace
