// Pie series: ellipse, angles and grouping as numbers, then drawn slices probed by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "chart/series/bar_series.h"
#include "chart/model/chart_exception.h"
#include "chart/canvas/color_shade.h"
#include "chart/model/palette.h"
#include "chart/series/pie_geometry.h"
#include "chart/series/pie_series.h"
#include "platform/raster/arith.h"
#include "tests/chart/series_fixture.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr double Degree = std::numbers::pi / 180;

TEST(PieGeometry, AnglesFollowTheRunningSum) {
    const auto angles = PieAngles({67, 58, 32, 18}, {}, 175);
    ASSERT_EQ(angles.size(), 4u);
    EXPECT_NEAR(angles[0].StartAngle, 0, 1e-12);
    EXPECT_NEAR(angles[0].EndAngle / Degree, 137.83, 0.005);
    EXPECT_NEAR(angles[1].EndAngle / Degree, 257.14, 0.005);
    EXPECT_NEAR(angles[2].EndAngle / Degree, 322.97, 0.005);
    EXPECT_EQ(angles[3].EndAngle, 2 * std::numbers::pi) << "the last slice closes exactly";
    EXPECT_EQ(angles[1].StartAngle, angles[0].EndAngle);
    EXPECT_NEAR(angles[0].MidAngle, angles[0].EndAngle / 2, 1e-12);
}

TEST(PieGeometry, DegenerateValueSets) {
    const auto single = PieAngles({5}, {}, 5);
    EXPECT_EQ(single[0].StartAngle, 0);
    EXPECT_EQ(single[0].EndAngle, 2 * std::numbers::pi) << "one point is a full ellipse";

    const auto zeros = PieAngles({0, 0, 0}, {}, 0);
    EXPECT_EQ(zeros[0].EndAngle, 2 * std::numbers::pi) << "slice 0 takes the whole pie";
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(zeros[i].StartAngle, 2 * std::numbers::pi) << "later slices are empty";
        EXPECT_EQ(zeros[i].EndAngle, 2 * std::numbers::pi);
    }

    const auto negative = PieAngles({-10, 10}, {}, 20);
    EXPECT_NEAR(negative[0].EndAngle, std::numbers::pi, 1e-12) << "magnitudes, not signed values";

    const auto grouped = PieAngles({50, 1, 50}, {false, true, false}, 100);
    EXPECT_EQ(grouped[1].StartAngle, grouped[1].EndAngle) << "a grouped point has no width";
}

TEST(PieGeometry, OtherSliceGroupsBelowThreshold) {
    const std::vector<double> counts{67, 58, 32, 18, 5};
    const TOtherSlice byPercent = GroupSmallSlices(counts, poBelowPercent, 10, 180);
    EXPECT_EQ(byPercent.Grouped, (std::vector<bool>{false, false, false, false, true}));
    EXPECT_EQ(byPercent.Sum, 5);

    const TOtherSlice byValue = GroupSmallSlices(counts, poBelowValue, 32, 180);
    EXPECT_EQ(byValue.Grouped, (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(byValue.Sum, 23);

    const TOtherSlice none = GroupSmallSlices(counts, poNone, 1000, 180);
    EXPECT_EQ(none.Sum, 0);
    EXPECT_EQ(none.Grouped, std::vector<bool>(5, false));
}

TEST(PieGeometry, CircleFromPlotAndMarkRoom) {
    struct Case {
        const char* fault;
        TRect plot;
        int roomV, roomH;
        TRect expected;
        int xRadius, yRadius;
    } cases[] = {
        {"plain plot rectangle", Rect(12, 25, 388, 225), 0, 0, Rect(12, 25, 388, 225), 188, 100},
        {"odd width and height lose a pixel", Rect(10, 10, 111, 61), 0, 0, Rect(10, 10, 110, 60), 50, 25},
        {"mark room shrinks all four sides", Rect(12, 25, 388, 225), 30, 40, Rect(52, 55, 348, 195), 148, 70},
        {"tiny rectangle grows to 4", Rect(5, 5, 6, 6), 0, 0, Rect(5, 5, 9, 9), 2, 2},
        {"room larger than the plot", Rect(0, 0, 40, 40), 30, 30, Rect(30, 30, 34, 34), 2, 2},
    };
    for (const Case& c : cases) {
        const TCircle circle = WithRadii(CircleInPlot(c.plot, c.roomV, c.roomH), 0, 0);
        EXPECT_EQ(circle.CircleRect, c.expected) << c.fault;
        EXPECT_EQ(circle.XRadius, c.xRadius) << c.fault;
        EXPECT_EQ(circle.YRadius, c.yRadius) << c.fault;
    }
    const TCircle fixed = WithRadii(CircleInPlot(Rect(0, 0, 100, 100), 0, 0), 20, 10);
    EXPECT_EQ(fixed.CircleRect, Rect(30, 40, 70, 60)) << "custom radii around the centre";
    EXPECT_EQ(fixed.CircleWidth, 40);

    const TCircle wide = WithRadii(MakeRound(CircleInPlot(Rect(0, 0, 200, 100), 0, 0), 1.0, 0, 0), 0, 0);
    EXPECT_EQ(wide.CircleRect, Rect(50, 0, 150, 100)) << "a wide ellipse made round loses width";
    const TCircle tall = WithRadii(MakeRound(CircleInPlot(Rect(0, 0, 100, 160), 0, 0), 1.0, 0, 0), 0, 0);
    EXPECT_EQ(tall.CircleRect, Rect(0, 30, 100, 130)) << "a tall one loses height";
}

TEST(PieGeometry, RimPointsTurnCounterClockwise) {
    EXPECT_EQ(EllipsePoint(100, 50, 0, 40, 20), Point(140, 50)) << "angle 0 is 3 o'clock";
    EXPECT_EQ(EllipsePoint(100, 50, std::numbers::pi / 2, 40, 20), Point(100, 30)) << "growing angles go up";
    EXPECT_EQ(EllipsePoint(100, 50, std::numbers::pi, 40, 20), Point(60, 50));
}

TEST(PieGeometry, ThreeDOrderStartsNearTwelveOClock) {
    std::vector<TPieAngle> angles(4);
    const double mids[] = {0.0, std::numbers::pi / 2, std::numbers::pi, 1.5 * std::numbers::pi};
    for (int i = 0; i < 4; ++i) angles[i].MidAngle = mids[i];
    EXPECT_EQ(SlicesByDistanceFromTop(angles, 0, 0, 3), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(SlicesByDistanceFromTop(angles, std::numbers::pi / 2, 0, 3), (std::vector<int>{0, 1, 3, 2}))
        << "rotation turns the slices before measuring";
}

TEST(PieGeometry, ExplodedSliceShrinksTheRectangle) {
    EXPECT_EQ(ShrinkForExplodedSlice(Rect(0, 0, 200, 100), 100, 50, 20, 0), Rect(10, 0, 190, 100))
        << "a slice pulled out to the right needs horizontal room";
    EXPECT_EQ(ShrinkForExplodedSlice(Rect(0, 0, 200, 100), 100, 50, 20, std::numbers::pi / 2),
              Rect(0, 5, 200, 95));
}

using seriestest::DrawnChart;

struct PieProbe {
    DrawnChart drawn;
    TPieSeries series;

    explicit PieProbe(std::initializer_list<double> counts, bool view3D = false) : drawn(400, 250, view3D) {
        series.SetParentChart(&drawn.chart);
        int k = 0;
        for (double c : counts) series.AppendValue(c, "p" + std::to_string(k++), AutoColor);
    }
    // A pixel inside slice i, at a share of the radius along its middle.
    TPoint Inside(int i, double share = 0.6) const {
        const TPieSeries& s = series;
        return s.AngleToPos(s.Angles[static_cast<std::size_t>(i)].MidAngle, Round(s.XRadius * share),
                            Round(s.YRadius * share));
    }
};

TEST(PieSeries, SlicesInTheirColoursAlongTheirAngles) {
    PieProbe probe({67, 58, 32, 18});
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    ASSERT_EQ(s.Angles.size(), 4u);
    EXPECT_NEAR(s.Angles[0].EndAngle / Degree, 137.83, 0.005);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(probe.drawn.At(probe.Inside(i)), PaletteColor(i)) << "slice " << i;
    EXPECT_EQ(probe.drawn.At(s.XCenter + s.XRadius - 2, s.YCenter - 2), clRed) << "slice 0 starts at 3 o'clock";
    EXPECT_EQ(probe.drawn.At(s.XCenter + s.XRadius - 2, s.YCenter + 3), PaletteColor(3)) << "slice 3 ends there";
    EXPECT_NE(probe.drawn.At(s.XCenter + s.XRadius + 2, s.YCenter - 2), clRed) << "nothing outside the rim";
}

TEST(PieSeries, EllipseFillsThePlotLessTheMarkRoom) {
    PieProbe probe({67, 58, 32, 18});
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    const TRect plot = probe.drawn.chart.PlotRect;
    EXPECT_GT(s.XRadius, s.YRadius) << "a 400 x 250 chart gives a wide ellipse";
    EXPECT_GT(s.CircleRect.Top, plot.Top) << "room for the marks above";
    EXPECT_LT(s.CircleRect.Right, plot.Right) << "and beside";

    PieProbe bare({67, 58, 32, 18});
    bare.series.Marks.Visible = false;
    bare.drawn.Draw();
    EXPECT_EQ(bare.series.CircleRect.Left, bare.drawn.chart.PlotRect.Left) << "without marks the plot itself";
    EXPECT_EQ(bare.series.CircleRect.Top, bare.drawn.chart.PlotRect.Top);
}

TEST(PieSeries, MarksLieOutsideTheRim) {
    PieProbe probe({67, 58, 32, 18});
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    for (int i = 0; i < 4; ++i) {
        const TSeriesMarkPosition* mark = s.Marks.Positions.Get(i);
        ASSERT_NE(mark, nullptr);
        const double a = s.Angles[static_cast<std::size_t>(i)].MidAngle;
        EXPECT_EQ(mark->ArrowStart, s.AngleToPos(a, s.XRadius - 8, s.YRadius - 8)) << "arrow starts inside the rim";
        const bool right = mark->ArrowEnd.X > s.XCenter;
        EXPECT_EQ(mark->BoxLeftTop.X, right ? mark->ArrowEnd.X : mark->ArrowEnd.X - mark->BoxWidth)
            << "box outward of the arrow, mark " << i;
        EXPECT_EQ(probe.drawn.At(mark->BoxLeftTop.X + 1, mark->BoxLeftTop.Y + 1), s.Marks.BackColor);
    }
}

// In 3D the marks' font follows the zoom; the text must be written in the font its box was
// measured with, or it overflows the box (zoom below 100) or sits lost in it (above).
TEST(PieSeries, MarksTextFitsItsBoxAtAnyZoom) {
    for (int zoom : {50, 150}) {
        PieProbe probe({67, 58, 32, 18}, true);
        TPieSeries& s = probe.series;
        probe.drawn.chart.View3DOptions.Zoom = zoom;
        probe.drawn.chart.View3DOptions.Orthogonal = false;
        s.Marks.Arrow.Visible = false;
        s.Marks.Font.Color = clFuchsia;  // a colour no slice has, so every such pixel is text
        probe.drawn.Draw();
        TRasterCanvas3D& canvas = probe.drawn.chart.Canvas();
        canvas.Font = s.Marks.Font;
        canvas.Font.Size = Round(s.Marks.Font.Size * zoom / 100.0);
        int checked = 0;
        for (int i = 0; i < 4; ++i) {
            const TSeriesMarkPosition* mark = s.Marks.Positions.Get(i);
            ASSERT_NE(mark, nullptr);
            // The box as drawn: moved by the projection of its arrow end.
            const TPoint end = canvas.ProjectPointOut(mark->ArrowEnd.X, mark->ArrowEnd.Y, s.Marks.ZPosition);
            const int left = end.X + mark->BoxLeftTop.X - mark->ArrowEnd.X;
            const int top = end.Y - (mark->ArrowEnd.Y - mark->BoxLeftTop.Y);
            // A zoomed pie pushes some marks out of the picture.
            if (left < mark->BoxWidth || top < 0 || left + 2 * mark->BoxWidth > probe.drawn.chart.Width ||
                top + mark->BoxHeight > probe.drawn.chart.Height)
                continue;
            ++checked;
            int inkLeft = probe.drawn.chart.Width, inkRight = -1;
            for (int y = top + 1; y < top + mark->BoxHeight - 1; ++y)
                for (int x = left - mark->BoxWidth; x < left + 2 * mark->BoxWidth; ++x)
                    if (probe.drawn.At(x, y) == clFuchsia) {
                        inkLeft = std::min(inkLeft, x);
                        inkRight = std::max(inkRight, x);
                    }
            const std::string text = s.MarkText(i);
            EXPECT_GT(inkLeft, left) << "zoom " << zoom << ", mark " << i << " overflows its box on the left";
            EXPECT_LT(inkRight, left + mark->BoxWidth - 1) << "zoom " << zoom << ", mark " << i << " on the right";
            EXPECT_NEAR(inkRight - inkLeft + 1, canvas.TextWidth(text), 2)
                << "zoom " << zoom << ", mark " << i << " '" << text << "' drawn in another font than measured";
        }
        EXPECT_GT(checked, 0) << "zoom " << zoom << ": no mark lies wholly in the picture";
    }
}

TEST(PieSeries, OnePointIsAFullEllipse) {
    PieProbe probe({5});
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    for (double angle : {0.3, 1.6, 3.0, 4.5, 6.0})
        EXPECT_EQ(probe.drawn.At(s.AngleToPos(angle, s.XRadius - 3, s.YRadius - 3)), clRed) << "at " << angle;
    const TSeriesMarkPosition* mark = s.Marks.Positions.Get(0);
    ASSERT_NE(mark, nullptr);
    EXPECT_LT(mark->ArrowEnd.X, s.XCenter - s.XRadius) << "the slice's middle, half way round: 9 o'clock";
    EXPECT_NEAR(mark->ArrowEnd.Y, s.YCenter, 1);
}

TEST(PieSeries, AllZeroValuesGiveSliceZeroTheWholePie) {
    PieProbe probe({0, 0, 0});
    probe.series.Marks.SetStyle(smsPercent);
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    for (double angle : {0.5, 2.5, 4.5})
        EXPECT_EQ(probe.drawn.At(s.AngleToPos(angle, s.XRadius / 2, s.YRadius / 2)), clRed)
            << "later slices are empty and draw nothing";
    EXPECT_EQ(s.MarkText(1), "100 %") << "no total: every percentage is 100";
}

TEST(PieSeries, SeventeenthSliceRepeatsRed) {
    PieProbe probe({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    probe.series.Marks.Visible = false;
    probe.drawn.Draw();
    EXPECT_EQ(probe.series.PointColor(16), clRed);
    EXPECT_EQ(probe.drawn.At(probe.Inside(16, 0.8)), clRed);
    EXPECT_EQ(probe.drawn.At(probe.Inside(15, 0.8)), clBlack);
}

TEST(PieSeries, SmallSlicesGoIntoTheOtherSlice) {
    PieProbe probe({67, 58, 32, 18, 5});
    TPieSeries& s = probe.series;
    s.OtherSlice.SetStyle(poBelowPercent);
    s.OtherSlice.SetValue(10);
    s.Marks.SetStyle(smsPercent);
    for (int pass = 0; pass < 2; ++pass) {
        probe.drawn.Draw();
        ASSERT_EQ(s.PointCount(), 6) << "one other slice, also after drawing again";
        EXPECT_EQ(s.PointLabel(5), "Weitere");
        EXPECT_EQ(s.YValues.Value(5), 5);
        EXPECT_TRUE(s.IsGrouped(4));
        EXPECT_EQ(s.MarkText(0), "37.22 %") << "67 of 180";
        EXPECT_EQ(s.MarkText(5), "2.78 %") << "5 of 180";
        EXPECT_EQ(s.LegendItemCount(), 5);
        EXPECT_EQ(s.LegendItemToPoint(4), 5) << "the grouped point has no legend row";
        EXPECT_EQ(s.Marks.Positions.Get(4), nullptr) << "and no mark";
        EXPECT_EQ(s.Angles[4].StartAngle, s.Angles[4].EndAngle) << "and no width";
        EXPECT_EQ(s.Angles[5].EndAngle, 2 * std::numbers::pi);
    }
}

TEST(PieSeries, ActivePieTurnsOffAxesWallsAndFrame) {
    TChart chart;
    TBarSeries bars;
    bars.SetParentChart(&chart);
    bars.SetActive(false);
    chart.View3DOptions.Orthogonal = true;
    chart.View3DOptions.Rotation = 345;
    TPieSeries pie;
    pie.SetParentChart(&chart);
    EXPECT_FALSE(chart.AxisVisible);
    EXPECT_FALSE(chart.ClipPoints);
    EXPECT_FALSE(chart.View3DWalls);
    EXPECT_FALSE(chart.Frame().Visible);
    EXPECT_EQ(chart.BackWall.Brush.Style, TBrushStyle::bsClear);
    EXPECT_FALSE(chart.AllowZoom);
    EXPECT_EQ(chart.AllowPanning, TPanningMode::pmNone);
    EXPECT_FALSE(chart.View3DOptions.Orthogonal) << "the raster canvas cannot rotate freely";
    EXPECT_EQ(chart.View3DOptions.Rotation, 360);
    EXPECT_EQ(chart.View3DOptions.Elevation, 315);
    pie.SetActive(false);
    EXPECT_TRUE(chart.AxisVisible);
    EXPECT_TRUE(chart.ClipPoints);
    EXPECT_TRUE(chart.View3DWalls);
    EXPECT_TRUE(chart.Frame().Visible);
    EXPECT_EQ(chart.BackWall.Brush.Style, TBrushStyle::bsSolid);
    EXPECT_TRUE(chart.AllowZoom);
    EXPECT_EQ(chart.AllowPanning, TPanningMode::pmBoth);
    pie.SetActive(true);
    pie.SetParentChart(nullptr);
    EXPECT_TRUE(chart.AxisVisible) << "leaving the chart gives the axes back";
}

TEST(PieSeries, NoAxesAreDrawnWithAPie) {
    PieProbe probe({67, 58, 32, 18});
    probe.drawn.Draw();
    EXPECT_FALSE(probe.drawn.chart.AxisDrawn(probe.drawn.chart.LeftAxis));
    EXPECT_FALSE(probe.drawn.chart.AxisDrawn(probe.drawn.chart.BottomAxis));
    const TRect plot = probe.drawn.chart.PlotRect;
    EXPECT_EQ(probe.drawn.At(plot.Left, (plot.Top + plot.Bottom) / 2), clWhite) << "no axis line";
}

TEST(PieSeries, ThreeDDiscShowsItsFaceAndDarkerRim) {
    PieProbe probe({67, 58, 32, 18}, true);
    probe.drawn.chart.SetChart3DPercent(50);
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    TRasterCanvas3D& canvas = probe.drawn.chart.Canvas();
    ASSERT_GT(s.EndZ - s.StartZ, 6);
    for (int i = 0; i < 4; ++i) {
        const TPoint p = probe.Inside(i);
        EXPECT_EQ(probe.drawn.At(canvas.ProjectPointOut(p.X, p.Y, s.EndZ)), PaletteColor(i)) << "face of slice " << i;
    }
    // The rim faces the viewer below the face: at 6 o'clock it belongs to slice 2.
    const TPoint faceBottom = canvas.ProjectPointOut(s.XCenter, s.YCenter + s.YRadius, s.EndZ);
    const TPoint rimBottom = canvas.ProjectPointOut(s.XCenter, s.YCenter + s.YRadius, s.StartZ);
    ASSERT_GT(rimBottom.Y, faceBottom.Y + 3);
    EXPECT_EQ(probe.drawn.At(faceBottom.X, (faceBottom.Y + rimBottom.Y) / 2), Darker(PaletteColor(2), 32));
}

TEST(PieSeries, BiggestSliceIsPulledOut) {
    PieProbe plain({67, 58, 32, 18});
    plain.series.Marks.Visible = false;
    plain.drawn.Draw();
    PieProbe probe({18, 67, 58, 32});
    probe.series.Marks.Visible = false;
    probe.series.ExplodeBiggest = 30;
    probe.drawn.Draw();
    const TPieSeries& s = probe.series;
    EXPECT_EQ(s.ExplodedSlice.Value(1), 30) << "the largest value is exploded";
    EXPECT_EQ(s.ExplodedSlice.Value(0), 0);
    EXPECT_TRUE(s.AnyExploded);
    EXPECT_LT(s.XRadius, plain.series.XRadius) << "the pie shrinks to make room";
    const double middle = s.Angles[1].MidAngle;
    const TPoint pulled = s.AngleToPos(middle, Round(s.XRadius * 1.2), Round(s.YRadius * 1.2));
    EXPECT_EQ(probe.drawn.At(pulled), PaletteColor(1)) << "the slice lies beyond the rim";
}

TEST(PieSeries, RotationAngleMustNotBeNegative) {
    TPieSeries s;
    s.SetRotationAngle(370);
    EXPECT_EQ(s.RotationAngle(), 10) << "taken modulo 360";
    try {
        s.SetRotationAngle(-1);
        ADD_FAILURE() << "-1 accepted";
    } catch (const PieException& e) {
        EXPECT_STREQ(e.what(), "Drehung-Winkel mu\xDF zwischen 0 und 359 Grad liegen.");
    }
    EXPECT_EQ(s.RotationAngle(), 10);
}

}  // namespace
