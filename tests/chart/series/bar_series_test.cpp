// Bar series: thickness, placement and value range as numbers, then drawn bars probed by pixel.
#include <gtest/gtest.h>

#include "chart/series/bar_geometry.h"
#include "chart/series/bar_series.h"
#include "chart/model/chart_exception.h"
#include "chart/canvas/color_shade.h"
#include "chart/series/horiz_bar_series.h"
#include "chart/model/palette.h"
#include "tests/chart/series_fixture.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

TEST(BarGeometry, WidthIsShareOfSlotMadeEven) {
    struct Case {
        const char* fault;
        int slot, percent, groups, expected;
    } cases[] = {
        {"five points on 300 pixels: 35 becomes 36", 50, 70, 1, 36},
        {"an even share stays", 60, 70, 1, 42},
        {"one pixel becomes two", 2, 50, 1, 2},
        {"zero stays zero", 0, 70, 1, 0},
        {"ties round to even before the split", 25, 70, 1, 18},  // 17.5 -> 18
        {"side groups split the share", 50, 70, 2, 18},          // 35 div 2 = 17 -> 18
        {"full share", 50, 100, 1, 50},
    };
    for (const Case& c : cases) EXPECT_EQ(BarWidthFor(c.slot, c.percent, c.groups), c.expected) << c.fault;
}

TEST(BarGeometry, EdgeOffsetPerMultiBar) {
    struct Case {
        const char* fault;
        TMultiBar multi;
        bool vertical;
        int order, groups, width, offsetPercent, expected;
    } cases[] = {
        {"a single side series centres its bar", mbSide, true, 1, 1, 36, 0, -18},
        {"first of two side series lies left", mbSide, true, 1, 2, 18, 0, -18},
        {"second of two side series lies right", mbSide, true, 2, 2, 18, 0, 0},
        {"horizontal: first of two lies below (larger y)", mbSide, false, 1, 2, 18, 0, 0},
        {"horizontal: second of two lies above", mbSide, false, 2, 2, 18, 0, -18},
        {"horizontal single series centred", mbSide, false, 1, 1, 36, 0, -18},
        {"stacked bars centre on the category", mbStacked, true, 1, 1, 36, 0, -18},
        {"none centres with truncation", mbNone, true, 1, 1, 35, 0, -17},
        {"offset percent shifts by share of width", mbNone, true, 1, 1, 36, 50, 0},
        {"negative offset shifts back", mbStacked100, true, 1, 1, 36, -100, -54},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarEdgeOffset(c.multi, c.vertical, c.order, c.groups, c.width, c.offsetPercent), c.expected)
            << c.fault;
}

TEST(BarGeometry, ValueRangeIncludesOriginAndStacks) {
    struct Case {
        const char* fault;
        TMultiBar multi;
        double lowest, highest, stackedTop;
        bool useOrigin;
        double origin, expectLow, expectHigh;
    } cases[] = {
        {"positive counts start at the origin", mbSide, 6, 67, 0, true, 0, 0, 67},
        {"equal counts run from 0 to the count", mbSide, 5, 5, 0, true, 0, 0, 5},
        {"negative values reach below the origin", mbSide, -4, 7, 0, true, 0, -4, 7},
        {"without origin the data range alone", mbSide, 6, 67, 0, false, 0, 6, 67},
        {"stacked top above the highest value", mbStacked, 1, 10, 25, true, 0, 0, 25},
        {"percent stacking is always 0..100", mbStacked100, 3, 900, 0, true, 0, 0, 100},
        {"origin above the data raises the top", mbSide, 2, 5, 0, true, 10, 2, 10},
    };
    for (const Case& c : cases) {
        const TBarValueRange r = BarValueRange(c.multi, c.lowest, c.highest, c.stackedTop, c.useOrigin, c.origin);
        EXPECT_EQ(r.Lowest, c.expectLow) << c.fault;
        EXPECT_EQ(r.Highest, c.expectHigh) << c.fault;
    }
}

using seriestest::DrawnChart;

void AddCounts(TChartSeries& series, std::initializer_list<double> counts) {
    for (double c : counts) series.AppendValue(c, "", AutoColor);
}

TEST(BarSeries, WidthFromPlotAndSeriesSharingTheCategories) {
    TChart chart;
    TBarSeries first;
    first.SetParentChart(&chart);
    AddCounts(first, {67, 58, 32, 18, 6});
    chart.PlotWidth = 300;

    first.CalcBarWidth();
    EXPECT_EQ(first.BarWidth, 36) << "300 div 6 = 50, 70 % = 35, made even";

    first.SideMargins = false;
    first.CalcBarWidth();
    EXPECT_EQ(first.BarWidth, 42) << "without side margins the slot is 300 div 5";
    first.SideMargins = true;

    TBarSeries second;
    second.SetParentChart(&chart);
    AddCounts(second, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    first.CalcBarWidth();
    EXPECT_EQ(first.BarWidth, 10) << "two side series: the longer one's 9 points, 21 split in two";

    second.SetActive(false);
    chart.MaxPointsPerPage = 10;
    first.CalcBarWidth();
    EXPECT_EQ(first.BarWidth, 20) << "paging fixes n: 300 div 11 = 27, 70 % = 18.9 -> 19 -> 20";
    chart.MaxPointsPerPage = 0;

    first.CustomBarWidth = 7;
    first.CalcBarWidth();
    EXPECT_EQ(first.BarWidth, 7) << "a fixed width is taken as it is";

    TBarSeries single;
    TChart other;
    single.SetParentChart(&other);
    single.AppendValue(4, "", AutoColor);
    other.PlotWidth = 300;
    single.CalcBarWidth();
    EXPECT_EQ(single.BarWidth, 106) << "one point: slot is half the plot";
}

struct BarProbe {
    DrawnChart drawn{400, 250, false};
    TBarSeries series;

    explicit BarProbe(std::initializer_list<double> counts) {
        series.SetParentChart(&drawn.chart);
        series.SetColorEachPoint(true);
        AddCounts(series, counts);
    }
};

TEST(BarSeries, BarsStandCentredOnTheirCategories) {
    BarProbe probe({67, 58, 32, 18});
    probe.drawn.Draw();
    const TBarSeries& s = probe.series;
    const TChart& chart = probe.drawn.chart;
    ASSERT_GT(s.BarWidth, 4);
    const int origin = chart.LeftAxis.ValueToPixel(0);
    for (int i = 0; i < 4; ++i) {
        const int centre = chart.BottomAxis.ValueToPixel(i);
        const int left = s.PointPixelX(i);
        const int top = s.PointPixelY(i);
        const int right = left + s.BarWidth;
        const int mid = (top + origin) / 2;
        const TColor colour = PaletteColor(i);
        EXPECT_EQ(left, centre - s.BarWidth / 2) << "bar " << i << " centred";
        EXPECT_EQ(probe.drawn.At(left, mid), clBlack) << "left outline of bar " << i;
        EXPECT_EQ(probe.drawn.At(left + 1, mid), colour) << "fill of bar " << i;
        EXPECT_EQ(probe.drawn.At(right - 2, mid), colour) << "fill reaches the right edge of bar " << i;
        EXPECT_EQ(probe.drawn.At(right - 1, mid), clBlack) << "right outline of bar " << i;
        EXPECT_NE(probe.drawn.At(right, mid), colour) << "nothing right of bar " << i;
        EXPECT_NE(probe.drawn.At(left - 1, mid), colour) << "nothing left of bar " << i;
        EXPECT_EQ(probe.drawn.At(centre, top), clBlack) << "top outline at the value of bar " << i;
        EXPECT_NE(probe.drawn.At(centre, top - 1), colour) << "bar " << i << " ends at its value";
    }
}

TEST(BarSeries, MarkSitsCentredAboveTheBar) {
    BarProbe probe({67, 58, 32});
    probe.drawn.Draw();
    const TBarSeries& s = probe.series;
    for (int i = 0; i < 3; ++i) {
        const TSeriesMarkPosition* mark = s.Marks.Positions.Get(i);
        ASSERT_NE(mark, nullptr) << "mark " << i << " laid out";
        const int centre = s.PointPixelX(i) + s.BarWidth / 2;
        EXPECT_EQ(mark->ArrowStart, Point(centre, s.PointPixelY(i))) << "arrow leaves the bar's top";
        EXPECT_EQ(mark->ArrowEnd, Point(centre, s.PointPixelY(i) - 20)) << "arrow length 20 upward";
        EXPECT_EQ(mark->BoxLeftTop.X, centre - mark->BoxWidth / 2) << "box centred over the bar";
        EXPECT_EQ(mark->BoxLeftTop.Y + mark->BoxHeight - 1, mark->ArrowEnd.Y) << "box ends at the arrow";
        EXPECT_EQ(probe.drawn.At(mark->BoxLeftTop), clBlack) << "box frame";
        EXPECT_EQ(probe.drawn.At(mark->BoxLeftTop.X + 1, mark->BoxLeftTop.Y + 1), s.Marks.BackColor) << "box fill";
    }
}

TEST(BarSeries, EmptyPointLeavesAGapButKeepsItsPlace) {
    DrawnChart drawn(400, 250, false);
    TBarSeries s;
    s.SetParentChart(&drawn.chart);
    s.AppendValue(30, "a", clRed);
    s.AppendValue(20, "b", clNone);
    s.AppendValue(10, "c", clBlue);
    drawn.Draw();
    const int origin = drawn.chart.LeftAxis.ValueToPixel(0);
    const int centre = drawn.chart.BottomAxis.ValueToPixel(1);
    const int level = drawn.chart.LeftAxis.ValueToPixel(10);
    EXPECT_EQ(drawn.At(centre, (level + origin) / 2), drawn.At(centre + s.BarWidth, (level + origin) / 2))
        << "the empty point's place looks like the space between bars";
    EXPECT_EQ(s.Marks.Positions.Get(1), nullptr) << "no mark for the empty point";
    EXPECT_NE(s.Marks.Positions.Get(2), nullptr);
    EXPECT_NEAR(s.PointPixelX(2) - s.PointPixelX(0), 2 * (s.PointPixelX(1) - s.PointPixelX(0)), 1)
        << "categories stay evenly spaced";
}

TEST(BarSeries, NegativeBarHangsFromTheOriginWithItsMarkBelow) {
    DrawnChart drawn(400, 250, false);
    TBarSeries s;
    s.SetParentChart(&drawn.chart);
    s.AppendValue(5, "up", clRed);
    s.AppendValue(-3, "down", clBlue);
    EXPECT_EQ(s.LowestY(), -3);
    EXPECT_EQ(s.HighestY(), 5);
    drawn.Draw();
    const int origin = drawn.chart.LeftAxis.ValueToPixel(0);
    const int end = s.PointPixelY(1);
    ASSERT_GT(end, origin + 4) << "the value end lies below the origin";
    EXPECT_EQ(s.OriginPixel(1), origin);
    const int centre = drawn.chart.BottomAxis.ValueToPixel(1);
    EXPECT_EQ(drawn.At(centre, origin + 1), clBlue) << "bar starts at the origin";
    EXPECT_EQ(drawn.At(centre, end - 2), clBlue) << "and reaches down to its value";
    EXPECT_NE(drawn.At(centre, end + 1), clBlue);
    const TSeriesMarkPosition* mark = s.Marks.Positions.Get(1);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->BoxLeftTop.Y, end + 21) << "box hangs 20 pixels below the bar's end";
    EXPECT_EQ(drawn.At(mark->BoxLeftTop.X + 1, mark->BoxLeftTop.Y + 1), s.Marks.BackColor);
}

TEST(BarSeries, StackedBarsStartWhereTheSeriesBelowEnds) {
    DrawnChart drawn(400, 250, false);
    TBarSeries lower, upper;
    for (TBarSeries* s : {&lower, &upper}) {
        s->SetParentChart(&drawn.chart);
        s->SetMultiBar(mbStacked);
    }
    AddCounts(lower, {10, 20});
    AddCounts(upper, {5, 15});
    EXPECT_EQ(upper.HighestY(), 35) << "the stack's top sets the value axis";
    drawn.Draw();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(upper.OriginPixel(i), lower.PointPixelY(i)) << "bar " << i << " stands on the one below";
        EXPECT_EQ(upper.PointPixelX(i), lower.PointPixelX(i)) << "same category position";
    }
    EXPECT_EQ(upper.PointPixelY(1), drawn.chart.LeftAxis.ValueToPixel(35));
}

TEST(BarSeries, HorizontalBarsRunFromTheOriginRightward) {
    DrawnChart drawn(400, 250, false);
    THorizBarSeries s;
    s.SetParentChart(&drawn.chart);
    s.SetColorEachPoint(true);
    AddCounts(s, {67, 58, 32});
    EXPECT_EQ(s.XValues.Value(0), 67) << "the values are X values";
    EXPECT_EQ(s.YValues.Value(2), 2) << "the categories are the point numbers";
    drawn.Draw();
    const int origin = drawn.chart.BottomAxis.ValueToPixel(0);
    for (int i = 0; i < 3; ++i) {
        const int centre = drawn.chart.LeftAxis.ValueToPixel(i);
        EXPECT_EQ(s.PointPixelY(i), centre - s.BarWidth / 2) << "bar " << i << " centred on its category";
        const int end = s.PointPixelX(i);
        EXPECT_EQ(drawn.At((origin + end) / 2, centre), PaletteColor(i)) << "fill of bar " << i;
        EXPECT_NE(drawn.At(end + 1, centre), PaletteColor(i)) << "bar " << i << " ends at its value";
        const TSeriesMarkPosition* mark = s.Marks.Positions.Get(i);
        ASSERT_NE(mark, nullptr);
        const int arrow = s.Marks.ArrowLength;
        EXPECT_EQ(mark->ArrowStart, Point(end, s.PointPixelY(i) + s.BarWidth / 2)) << "arrow leaves the bar's end";
        EXPECT_EQ(mark->ArrowEnd, Point(end + arrow, s.PointPixelY(i) + s.BarWidth / 2)) << "mark beside the end";
        EXPECT_EQ(mark->BoxLeftTop.X, end + arrow) << "box starts at the arrow's end";
    }
}

// A point across one bar: `across` from its leading to its trailing edge on the category axis,
// `along` from its origin (0) to its value end (1), both as fractions.
TPoint InBar(const TCustomBarSeries& s, bool vertical, double across, double along) {
    const auto at = [](int from, int to, double f) { return from + static_cast<int>((to - from) * f); };
    if (vertical) return Point(at(s.BarLeft, s.BarRight, across), at(s.BarBottom, s.BarTop, along));
    return Point(at(s.BarLeft, s.BarRight, along), at(s.BarTop, s.BarBottom, across));
}

TEST(BarSeries, ShapesPointToTheValueInBothOrientations) {
    struct Case {
        const char* fault;
        TBarStyle style;
        double across, along;
        bool filled;
    } cases[] = {
        {"pyramid is wide at its origin", TBarStyle::bsPyramid, 0.15, 0.1, true},
        {"pyramid is narrow at its value end", TBarStyle::bsPyramid, 0.15, 0.9, false},
        {"pyramid's apex is at its value end", TBarStyle::bsPyramid, 0.5, 0.9, true},
        {"inverted pyramid is narrow at its origin", TBarStyle::bsInvPyramid, 0.15, 0.1, false},
        {"inverted pyramid is wide at its value end", TBarStyle::bsInvPyramid, 0.15, 0.9, true},
        {"ellipse leaves the corners", TBarStyle::bsEllipse, 0.05, 0.02, false},
        {"ellipse fills the middle", TBarStyle::bsEllipse, 0.5, 0.5, true},
    };
    for (bool vertical : {true, false}) {
        for (const Case& c : cases) {
            DrawnChart drawn(400, 250, false);
            TBarSeries bars;
            THorizBarSeries horizontalBars;
            TCustomBarSeries& s = vertical ? static_cast<TCustomBarSeries&>(bars) : horizontalBars;
            s.SetParentChart(&drawn.chart);
            s.BarStyle = c.style;
            s.Marks.Visible = false;
            s.AppendValue(10, "", clRed);
            drawn.Draw();
            EXPECT_EQ(drawn.At(InBar(s, vertical, c.across, c.along)) == clRed, c.filled)
                << c.fault << (vertical ? " (vertical)" : " (horizontal)");
        }
    }
}

TEST(BarSeries, ThreeDBarsShowDarkerSidesAndShareOneSlot) {
    DrawnChart drawn(400, 250, true);
    drawn.chart.View3DOptions.Orthogonal = true;
    drawn.chart.SetChart3DPercent(50);
    TBarSeries a, b;
    a.SetParentChart(&drawn.chart);
    b.SetParentChart(&drawn.chart);
    a.SetSeriesColor(clRed);
    b.SetSeriesColor(clBlue);
    AddCounts(a, {40, 30});
    AddCounts(b, {20, 35});
    drawn.Draw();
    EXPECT_EQ(a.ZOrder, b.ZOrder) << "side-by-side bars share a depth slot";
    EXPECT_EQ(a.StartZ, b.StartZ);
    ASSERT_GT(a.EndZ - a.StartZ, 6);
    TRasterCanvas3D& canvas = drawn.chart.Canvas();
    const int depth = b.EndZ - b.StartZ;
    const int right = b.PointPixelX(0) + b.BarWidth;
    const int top = b.PointPixelY(0);
    const int mid = (top + b.OriginPixel(0)) / 2;
    EXPECT_EQ(right, b.PointPixelX(0) + b.BarWidth);
    EXPECT_EQ(a.PointPixelX(0) + a.BarWidth, b.PointPixelX(0)) << "side-by-side bars touch";
    EXPECT_EQ(drawn.At(canvas.ProjectPointOut(right - 3, mid, b.StartZ)), clBlue) << "front face";
    EXPECT_EQ(drawn.At(canvas.ProjectPointOut(right, mid, b.StartZ + depth / 2)), Darker(clBlue, 128))
        << "right face 128 darker";
    EXPECT_EQ(drawn.At(canvas.ProjectPointOut(right - 4, top, b.StartZ + depth / 2)), Darker(clBlue, 64))
        << "top face 64 darker";
    EXPECT_LT(a.PointPixelX(0), b.PointPixelX(0)) << "first series on the left";
}

TEST(BarSeries, ZeroBarIsALineInItsOwnColour) {
    DrawnChart drawn(400, 250, false);
    TBarSeries s;
    s.SetParentChart(&drawn.chart);
    s.AppendValue(10, "a", clRed);
    s.AppendValue(0, "b", clBlue);
    s.AppendValue(-5, "c", clRed);
    drawn.Draw();
    const int origin = drawn.chart.LeftAxis.ValueToPixel(0);
    ASSERT_EQ(s.PointPixelY(1), origin);
    EXPECT_EQ(drawn.At(s.PointPixelX(1) + 2, origin), clBlue) << "no black outline for a bar without height";
}

TEST(BarSeries, MarginsLeaveRoomForBarsAndMarks) {
    DrawnChart drawn(400, 250, false);
    TBarSeries s;
    s.SetParentChart(&drawn.chart);
    AddCounts(s, {5, 8, 3});
    drawn.Draw();
    drawn.chart.AssignCanvasFont(s.Marks.Font);
    const int room = drawn.chart.Canvas().FontHeight() + 20 + 2 * s.Marks.Frame.Width + 1;
    int top = -1, bottom = -1, left = -1, right = -1;
    s.VerticalMargins(top, bottom);
    EXPECT_EQ(top, room) << "mark room above positive bars";
    EXPECT_EQ(bottom, 0);
    s.HorizontalMargins(left, right);
    EXPECT_EQ(left, s.BarWidth) << "a whole bar at each end with side margins";
    EXPECT_EQ(right, s.BarWidth);
    s.SideMargins = false;
    s.HorizontalMargins(left, right);
    EXPECT_EQ(left, s.BarWidth / 2);

    s.AppendValue(-2, "", AutoColor);
    s.VerticalMargins(top, bottom);
    EXPECT_EQ(bottom, room) << "negative bars get room below";
    s.Marks.Visible = false;
    s.VerticalMargins(top, bottom);
    EXPECT_EQ(top, 0) << "no marks, no room";

    THorizBarSeries h;
    TChart chart;
    h.SetParentChart(&chart);
    AddCounts(h, {5, 8});
    h.HorizontalMargins(left, right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, h.MaxMarkWidth() + 20 + 2 * h.Marks.Frame.Width + 1) << "room right of the bars' ends";
}

TEST(BarSeries, OutOfRangeSettingsAreRefusedAndKept) {
    TBarSeries s;
    s.SetBarWidthPercent(50);
    for (int bad : {0, 101, -5}) {
        try {
            s.SetBarWidthPercent(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const BarException& e) {
            EXPECT_STREQ(e.what(), "Prozentwert f\xFCr Balkenbreite mu\xDF zwischen 1 und 100 liegen.");
        }
        EXPECT_EQ(s.BarWidthPercent(), 50);
    }
    s.SetOffsetPercent(-100);
    try {
        s.SetOffsetPercent(101);
        ADD_FAILURE() << "offset 101 accepted";
    } catch (const BarException& e) {
        EXPECT_STREQ(e.what(), "Prozentwert f\xFCr Balken-Offset mu\xDF zwischen -100% und 100% liegen.");
    }
    EXPECT_EQ(s.OffsetPercent(), -100);
    THorizBarSeries h;
    EXPECT_THROW(h.FillSampleValues(0), BarException);
}

}  // namespace
