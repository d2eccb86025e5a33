// The chart's layout as numbers: plot rectangle from the margins, depth slots, legend and axis room.
#include <gtest/gtest.h>

#include "chart/model/chart_exception.h"
#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

TEST(ChartLayout, StoredChartPlotRectangleComesFromTheMargins) {
    TChart chart;
    ApplyDefaultRequest(chart);
    Render(chart);  // no active series: nothing takes room from the plot
    EXPECT_EQ(chart.PanelRect, (TRect{0, 0, 400, 250}));
    EXPECT_EQ(chart.PlotRect, (TRect{12, 25, 388, 225}));
    EXPECT_EQ(chart.PlotWidth, 376);
    EXPECT_EQ(chart.PlotHeight, 200);
    EXPECT_EQ(chart.PlotXCenter, 200);
    EXPECT_EQ(chart.PlotYCenter, 125);
    EXPECT_EQ(chart.DepthTotal, 0);
}

TEST(ChartLayout, MarginsScaleWithTheChartSizeAndTheBorderWidth) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.Width = 200;
    chart.Height = 100;
    chart.BorderWidth = 2;
    Render(chart);
    EXPECT_EQ(chart.PlotRect, (TRect{6 + 2, 10 + 2, 200 - 2 - 6, 100 - 2 - 10}));
}

TEST(ChartLayout, CollapsedPlotRectangleIsRepaired) {
    TChart chart;
    chart.PanelRect = TRect{0, 0, 50, 40};
    chart.PlotRect = TRect{30, 20, 10, 20};
    chart.RecalcWidthHeight();
    EXPECT_EQ(chart.PlotRect.Right, 31);            // right of left: width 1
    EXPECT_EQ(chart.PlotRect.Bottom, 20 + chart.Height);  // equal: the chart's height
    chart.PlotRect = TRect{-5, -5, 10, 10};
    chart.RecalcWidthHeight();
    EXPECT_EQ(chart.PlotRect.Left, 0);
    EXPECT_EQ(chart.PlotRect.Top, 0);
}

TEST(ChartLayout, SlotDepthIsAShareOfThePlotWidth) {
    struct Case {
        const char* fault;
        int percent;
        bool orthogonal;
        int expected;
    };
    const Case cases[] = {
        {"smallest depth not rounded to even", 1, true, 0},  // Round(0.376)
        {"rotated view not doubled", 1, false, 1},           // Round(0.752)
        {"stored depth", 50, true, 19},                      // Round(18.8)
        {"stored depth rotated", 50, false, 38},
    };
    for (const Case& c : cases) {
        TChart chart;
        ApplyStoredChartSettings(chart);
        chart.View3D = true;
        chart.View3DOptions.Orthogonal = c.orthogonal;
        chart.SetChart3DPercent(c.percent);
        Render(chart);
        EXPECT_EQ(chart.SlotDepth, c.expected) << c.fault;
        EXPECT_EQ(chart.SlotDepthY, c.expected) << c.fault;
        EXPECT_EQ(chart.DepthTotal, c.expected) << c.fault;  // no series: one slot
    }
}

TEST(ChartLayout, OrthogonalViewLeavesRoomForTheDepth) {
    TChart chart;
    ApplyStoredChartSettings(chart);
    chart.View3DOptions.Orthogonal = true;
    Render(chart);
    EXPECT_EQ(chart.PlotRect, (TRect{12, 25 + 19, 388 - 19, 225}));
}

TEST(ChartLayout, Chart3DPercentOutsideItsRangeIsRefused) {
    TChart chart;
    chart.SetChart3DPercent(50);
    for (int bad : {0, 101, -5}) {
        try {
            chart.SetChart3DPercent(bad);
            ADD_FAILURE() << bad << " accepted";
        } catch (const ChartException& e) {
            EXPECT_EQ(e.Message(), "3D-Effekt-Prozentangabe mu\xDF zwischen 1 und 100 liegen");
        }
        EXPECT_EQ(chart.Chart3DPercent(), 50);
    }
}

TEST(ChartLayout, SeriesDepthsPutTheFirstSeriesAtTheBack) {
    TChart chart;
    ApplyStoredChartSettings(chart);
    chart.View3DOptions.Orthogonal = true;
    TTestSeries a, b;
    a.SetParentChart(&chart);
    b.SetParentChart(&chart);
    a.AppendValue(1);
    b.AppendValue(2);
    chart.Legend.Visible = false;
    Render(chart);
    EXPECT_EQ(chart.TopZOrder, 1);
    EXPECT_EQ(a.ZOrder, 1);
    EXPECT_EQ(b.ZOrder, 0);
    EXPECT_EQ(b.StartZ, 0);
    EXPECT_EQ(a.StartZ, chart.SlotDepth);
    EXPECT_EQ(a.EndZ, 2 * chart.SlotDepth);
    EXPECT_EQ(a.MiddleZ, (a.StartZ + a.EndZ) / 2);
    EXPECT_EQ(a.Marks.ZPosition, a.MiddleZ);
    EXPECT_EQ(chart.DepthTotal, 2 * chart.SlotDepth);
}
