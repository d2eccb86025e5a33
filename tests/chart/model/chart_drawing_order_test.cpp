// The order in which the pipeline draws series and axis labels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

// Series that share one depth slot and log their DrawPoint calls into one list.
struct TSlotSeries : TTestSeries {
    std::vector<std::string>* log = nullptr;
    std::string name;
    bool shareSlot = false;
    void DrawPoint(int i) override {
        log->push_back(name + std::to_string(i));
        TTestSeries::DrawPoint(i);
    }
    void ClaimDepthSlot() override {
        if (shareSlot && ParentChart()->TopZOrder >= 0)
            ZOrder = ParentChart()->TopZOrder;
        else
            TTestSeries::ClaimDepthSlot();
    }
};

}  // namespace

TEST(DrawingOrder, SeriesSharingASlotAreDrawnPointByPoint) {
    TChart chart;
    ApplyStoredChartSettings(chart);
    chart.View3DOptions.Orthogonal = true;
    std::vector<std::string> log;
    TSlotSeries a, b;
    a.name = "a";
    b.name = "b";
    a.log = b.log = &log;
    b.shareSlot = true;
    a.SetParentChart(&chart);
    b.SetParentChart(&chart);
    for (double v : {1.0, 2.0, 3.0}) a.AppendValue(v);
    for (double v : {4.0, 5.0}) b.AppendValue(v);
    Render(chart);
    EXPECT_EQ(a.ZOrder, b.ZOrder);
    EXPECT_EQ(chart.TopZOrder, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a0", "b0", "a1", "b1", "a2"}));
    EXPECT_EQ(a.Begun, 1);
    EXPECT_EQ(b.Begun, 1);
    EXPECT_EQ(b.Ended, 1);

    log.clear();
    chart.View3D = false;  // in 2D every series draws on its own
    Render(chart);
    EXPECT_EQ(log, (std::vector<std::string>{"a0", "a1", "a2", "b0", "b1"}));
}

TEST(DrawingOrder, ValueLabelsRunDownFromTheTopInSteps) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.Legend.Visible = false;
    std::vector<std::string> labels;
    chart.OnGetAxisLabel = [&](TCustomChartAxis& axis, TChartSeries*, int, std::string& text) {
        if (&axis == &chart.LeftAxis) labels.push_back(text);
    };
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(0);
    series.AppendValue(67);
    Render(chart);
    // 182 pixels high with 13-pixel label steps: at most 14 labels, so the increment is 5.
    ASSERT_EQ(chart.PlotHeight, 182);
    EXPECT_EQ(labels, (std::vector<std::string>{"65", "60", "55", "50", "45", "40", "35", "30", "25", "20", "15",
                                                "10", "5", "0"}));

    labels.clear();
    series.ClearPoints();
    series.AppendValue(5);
    series.AppendValue(5);
    Render(chart);
    EXPECT_EQ(labels, (std::vector<std::string>{"5"})) << "an empty range draws exactly one label";
}

TEST(DrawingOrder, SeriesWithoutVisiblePointsDrawsNothing) {
    TChart chart;
    ApplyDefaultRequest(chart);
    TTestSeries series;
    series.SetParentChart(&chart);
    series.Marks.Visible = true;
    Render(chart);
    EXPECT_TRUE(series.Drawn.empty());
    EXPECT_EQ(series.Begun, 0);
    int after = 0;
    chart.OnAfterDraw = [&](TCustomAxisPanel&) { ++after; };
    Render(chart);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(chart.Canvas().Pen, TPen{}) << "the canvas is reset after drawing";
    EXPECT_EQ(chart.Canvas().Font.Size, 10);
}

TEST(DrawingOrder, FootTakesRoomAtTheBottom) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.Foot.Text = {"line one", "line two"};
    Render(chart);
    chart.AssignCanvasFont(chart.Foot.Font);
    EXPECT_EQ(chart.PlotRect.Bottom, 225 - 2 * chart.Canvas().FontHeight() - 5);
    chart.Foot.Text.clear();
    Render(chart);
    EXPECT_EQ(chart.PlotRect.Bottom, 225) << "a title without lines takes no room";
}
