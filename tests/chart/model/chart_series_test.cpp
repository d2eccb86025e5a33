// The series base: point storage, colours, mark texts, visible range and the mark layout.
#include <gtest/gtest.h>

#include "chart/model/chart_exception.h"
#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

TEST(SeriesPoints, AppendInsertDeleteAndClear) {
    TTestSeries series;
    EXPECT_EQ(series.AppendValue(5, "a"), 0);
    EXPECT_EQ(series.AppendValue(7, "b", clRed), 1);
    EXPECT_EQ(series.InsertPoint(0.5, 9, "c", clDefault), 1);  // X ascending: between 0 and 1
    EXPECT_EQ(series.PointCount(), 3);
    EXPECT_EQ(series.PointLabel(1), "c");
    EXPECT_EQ(series.PointColors[1], AutoColor) << "the platform default colour is stored as AutoColor";
    EXPECT_DOUBLE_EQ(series.PointY(2), 7);
    EXPECT_EQ(series.PointLabel(99), "");
    series.DeletePoint(0);
    EXPECT_EQ(series.PointLabel(0), "c");
    EXPECT_DOUBLE_EQ(series.YValues.SumOfValues(), 16);
    series.OnBeforeAdd = [](TChartSeries&) { return false; };
    EXPECT_EQ(series.AppendValue(1), -1);
    EXPECT_EQ(series.PointCount(), 2);
    series.OnBeforeAdd = nullptr;
    EXPECT_EQ(series.AppendEmpty("gap"), 2);
    EXPECT_EQ(series.PointColor(2), clNone);
    bool cleared = false;
    series.OnClearValues = [&](TChartSeries&) { cleared = true; };
    series.ClearPoints();
    EXPECT_TRUE(cleared);
    EXPECT_EQ(series.PointCount(), 0);
    EXPECT_TRUE(series.PointLabels.empty());
    EXPECT_THROW(series.FillSampleValues(0), ChartException);
}

TEST(SeriesColours, PaletteOrSeriesColour) {
    TChart chart;
    TTestSeries series;
    series.SetParentChart(&chart);
    EXPECT_EQ(series.SeriesColor(), clRed) << "a series joining a chart gets a free colour";
    TTestSeries second;
    second.SetParentChart(&chart);
    EXPECT_EQ(second.SeriesColor(), clGreen);
    series.SetSeriesColor(clLime);
    for (int i = 0; i < 17; ++i) series.AppendValue(i);
    series.PointColors[5] = clPurple;
    EXPECT_EQ(series.PointColor(0), clLime) << "without ColorEachPoint AutoColor means the series colour";
    series.SetColorEachPoint(true);
    EXPECT_EQ(series.PointColor(0), clRed);
    EXPECT_EQ(series.PointColor(3), clBlue);
    EXPECT_EQ(series.PointColor(16), clRed) << "the palette wraps after 16";
    EXPECT_EQ(series.PointColor(5), clPurple) << "a stored colour wins";
    EXPECT_EQ(series.PointColor(40), clLime) << "beyond the stored colours: the series colour";
    series.SetColorEachPoint(false);
    EXPECT_EQ(series.PointColor(5), clLime) << "switching off forgets the point colours";
}

TEST(SeriesMarkTexts, EveryStyle) {
    TChart chart;
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(67, "gut");
    series.AppendValue(58, "");
    series.AppendValue(32, "na\rja");
    series.AppendValue(18, "schlecht");
    struct Case {
        TSeriesMarksStyle style;
        int index;
        const char* expected;
    };
    const Case cases[] = {
        {smsValue, 0, "67"},
        {smsPercent, 0, "38.29 %"},
        {smsLabel, 0, "gut"},
        {smsLabel, 1, "58"},  // an empty label shows the value
        {smsLabelPercent, 0, "gut 38.29 %"},
        {smsLabelValue, 3, "schlecht 18"},
        {smsPercentTotal, 0, "38.29 % von 175"},
        {smsLabelPercentTotal, 3, "schlecht 10.29 % von 175"},
        {smsXValue, 2, "2"},
        {smsLegend, 0, "67 gut"},
    };
    for (const Case& c : cases) {
        series.Marks.SetStyle(c.style);
        EXPECT_EQ(series.MarkText(c.index), c.expected) << "style " << c.style;
    }
    series.OnGetMarkText = [](TChartSeries&, int i, std::string& text) { text = i == 0 ? "" : text + "!"; };
    series.Marks.SetStyle(smsValue);
    EXPECT_EQ(series.MarkText(0), "");
    EXPECT_EQ(series.MarkText(1), "58!");

    TTestSeries zeros;
    zeros.AppendValue(0);
    zeros.AppendValue(0);
    zeros.Marks.SetStyle(smsPercent);
    EXPECT_EQ(zeros.MarkText(1), "100 %") << "a total of 0 gives 100 %";
}

TEST(SeriesStacking, SumsEarlierActiveSeriesOfTheSameClass) {
    TChart chart;
    TTestSeries a, b, c;
    for (TTestSeries* s : {&a, &b, &c}) s->SetParentChart(&chart);
    a.AppendValue(1);
    a.AppendValue(2);
    b.AppendValue(10);
    c.AppendValue(100);
    c.AppendValue(200);
    EXPECT_DOUBLE_EQ(c.StackedSum(0, false), 11);
    EXPECT_DOUBLE_EQ(c.StackedSum(0, true), 111);
    EXPECT_DOUBLE_EQ(c.StackedSum(1, false), 2) << "b has no point 1";
    b.SetActive(false);
    EXPECT_DOUBLE_EQ(c.StackedSum(0, false), 1);
}

TEST(SeriesVisibleRange, PointsWithinTheAxisRange) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.Legend.Visible = false;
    TTestSeries series;
    series.SetParentChart(&chart);
    Render(chart);
    series.CalcVisiblePoints();
    EXPECT_EQ(series.FirstVisible, -1);
    EXPECT_EQ(series.LastVisible, -1);
    for (int i = 0; i < 10; ++i) series.AppendValue(i);
    chart.BottomAxis.Automatic = false;
    chart.BottomAxis.AutomaticMinimum = chart.BottomAxis.AutomaticMaximum = false;
    chart.BottomAxis.SetMinMax(2.5, 6.5);
    Render(chart);
    EXPECT_EQ(series.FirstVisible, 3);
    EXPECT_EQ(series.LastVisible, 6);
    EXPECT_EQ(series.Drawn, (std::vector<int>{3, 4, 5, 6}));
    series.IncludeNextPoint = true;
    series.Drawn.clear();
    Render(chart);
    EXPECT_EQ(series.LastVisible, 7) << "areas reach the first point beyond the edge";
    series.RestrictToAxisRange = false;
    series.CalcVisiblePoints();
    EXPECT_EQ(series.FirstVisible, 0);
    EXPECT_EQ(series.LastVisible, 9);
}

TEST(SeriesMarks, LayoutOfATwoLineMark) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.Legend.Visible = false;
    struct Recorder : TTestSeries {
        std::vector<TSeriesMarkPosition> laid;
        void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override {
            laid.push_back(position);
            TChartSeries::PaintMark(i, text, position);
        }
    } series;
    series.SetParentChart(&chart);
    series.Marks.Visible = true;
    series.AppendValue(4, "one");
    series.AppendValue(6, "two\rlines");
    series.AppendValue(5, "hidden", clNone);
    Render(chart);
    ASSERT_EQ(series.laid.size(), 2u) << "a point without colour has no mark";
    chart.AssignCanvasFont(series.Marks.Font);
    TRasterCanvas3D& canvas = chart.Canvas();
    const int fh = canvas.FontHeight();
    const TSeriesMarkPosition& p = series.laid[1];
    EXPECT_EQ(p.BoxHeight, 2 * fh + 2) << "two lines plus the frame";
    EXPECT_EQ(p.BoxWidth, canvas.TextWidth("W") + canvas.TextWidth("lines") + 2);
    EXPECT_EQ(p.ArrowEnd, (TPoint{series.PointPixelX(1), series.PointPixelY(1)}));
    EXPECT_EQ(p.BoxLeftTop, (TPoint{p.ArrowEnd.X - p.BoxWidth / 2, p.ArrowEnd.Y - p.BoxHeight + 1}));
    ASSERT_NE(series.Marks.Positions.Get(1), nullptr);
    EXPECT_EQ(series.Marks.Positions.Get(1)->BoxWidth, p.BoxWidth);
}
