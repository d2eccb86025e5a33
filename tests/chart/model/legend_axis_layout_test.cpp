// Legend and axis room in the default view request, the legend at all four sides and the
// automatic increment of value labels.
#include <gtest/gtest.h>

#include <string>

#include "chart/model/chart_exception.h"
#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

// A label whose legend text ("<count> <label>") is exactly width pixels wide in the legend font.
std::string LabelForWidth(TChart& chart, const std::string& prefix, int width) {
    TRasterCanvas3D& canvas = chart.Canvas();
    chart.AssignCanvasFont(chart.Legend.Font);
    for (std::string label;; label += 'W') {
        for (char c : std::string("mnerilt.")) {
            std::string candidate = label;
            while (canvas.TextWidth(prefix + candidate + c) <= width) candidate += c;
            if (canvas.TextWidth(prefix + candidate) == width) return candidate;
        }
        if (canvas.TextWidth(prefix + label) > width) return "";
    }
}

}  // namespace

TEST(LegendLayout, RightLegendOfTheDefaultRequest) {
    TChart chart;
    ApplyDefaultRequest(chart);
    TTestSeries series;
    series.SetParentChart(&chart);
    const std::string label = LabelForWidth(chart, "5 ", 60);
    ASSERT_FALSE(label.empty());
    series.AppendValue(5, label);
    series.AppendValue(3, "a");
    chart.AxisVisible = false;  // only the legend takes room
    Render(chart);
    const TChartLegend& legend = chart.Legend;
    EXPECT_EQ(legend.LegendRect.Right, 384);  // 388 - frame 1 - 1 - shadow 2
    EXPECT_EQ(legend.LegendRect.Top, 25);     // TopPos 10 % of 250
    EXPECT_EQ(legend.BoxWidth, 18);           // Round(70 * 25 / 100) = Round(17.5)
    EXPECT_EQ(legend.LegendRect.Left, 322 - 18 - 8);
    chart.AssignCanvasFont(legend.Font);
    EXPECT_EQ(legend.LegendRect.Bottom, 25 + 2 * chart.Canvas().FontHeight() + 2);
    EXPECT_EQ(chart.PlotRect.Right, 285);  // 296 - MulDiv(3, 376, 100)
}

TEST(LegendLayout, DefaultRequestAxesTakeLabelAndTickRoom) {
    TChart chart;
    ApplyDefaultRequest(chart);
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(67, "gut");
    series.AppendValue(58, "schlecht");
    chart.Legend.Visible = false;
    Render(chart);
    chart.AssignCanvasFont(chart.LeftAxis.LabelsFont);
    const int fh = chart.Canvas().FontHeight();
    EXPECT_EQ(chart.BottomAxis.EffectiveLabelStyle(), talText);
    EXPECT_EQ(chart.LeftAxis.EffectiveLabelStyle(), talValue);
    EXPECT_EQ(chart.PlotRect.Bottom, 225 - fh - 6);
    const int v = chart.LeftAxis.WidestLabel();
    EXPECT_EQ(chart.PlotRect.Left, 12 + v + 6);
    EXPECT_EQ(chart.PlotRect.Right, 388);
    EXPECT_EQ(chart.PlotRect.Top, 25);
}

TEST(LegendLayout, EachSideTakesItsRoomFromThePlot) {
    struct Case {
        TLegendAlignment alignment;
        bool left, top, right, bottom;  // which edge of the plot moved
    };
    const Case cases[] = {{laLeft, true, false, false, false},
                          {laRight, false, false, true, false},
                          {laTop, false, true, false, false},
                          {laBottom, false, false, false, true}};
    for (const Case& c : cases) {
        TChart chart;
        ApplyDefaultRequest(chart);
        chart.AxisVisible = false;
        chart.Legend.Alignment = c.alignment;
        TTestSeries series;
        series.SetParentChart(&chart);
        for (int i = 0; i < 30; ++i) series.AppendValue(i, "answer " + std::to_string(i));
        Render(chart);
        const TRect& p = chart.PlotRect;
        EXPECT_EQ(p.Left != 12, c.left) << c.alignment;
        EXPECT_EQ(p.Top != 25, c.top) << c.alignment;
        EXPECT_EQ(p.Right != 388, c.right) << c.alignment;
        EXPECT_EQ(p.Bottom != 225, c.bottom) << c.alignment;
        chart.AssignCanvasFont(chart.Legend.Font);
        const int fh = chart.Canvas().FontHeight();
        const TRect& r = chart.Legend.LegendRect;
        if (c.alignment == laTop || c.alignment == laBottom) {
            EXPECT_EQ(r.Bottom - r.Top, fh + 2) << "a top or bottom legend shows one row";
        } else {
            EXPECT_LT(r.Bottom, 225 + fh) << "a side legend lists only the answers that fit";
            EXPECT_LT((r.Bottom - r.Top - 2) / fh, 30);
        }
    }
}

TEST(LegendLayout, NoLegendWithoutActiveSeriesOrWhenHidden) {
    TChart chart;
    ApplyDefaultRequest(chart);
    chart.AxisVisible = false;
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(1, "x");
    chart.Legend.Visible = false;
    Render(chart);
    EXPECT_EQ(chart.PlotRect.Right, 388);
    chart.Legend.Visible = true;
    series.SetActive(false);
    Render(chart);
    EXPECT_EQ(chart.PlotRect.Right, 388);
}

TEST(LegendTexts, ValueAndPercentStyles) {
    TChart chart;
    TTestSeries series;
    series.SetParentChart(&chart);
    series.AppendValue(58, "gut");
    series.AppendValue(123, "schlecht\rnicht gut");
    EXPECT_EQ(chart.Legend.ResolvedStyle(), lsValues);
    EXPECT_EQ(chart.Legend.ShownItemCount(), 2);
    chart.Legend.TextStyle = ltsLeftValue;
    EXPECT_EQ(chart.Legend.ItemText(0), "58 gut");
    EXPECT_EQ(chart.Legend.ItemText(1), "123 schlecht nicht gut");
    chart.Legend.TextStyle = ltsLeftPercent;
    EXPECT_EQ(chart.Legend.ItemText(0), "32.04 % gut");
    chart.Legend.TextStyle = ltsRightValue;
    EXPECT_EQ(chart.Legend.ItemText(0), "gut 58");
    chart.Legend.TextStyle = ltsPlain;
    EXPECT_EQ(chart.Legend.ItemText(0), "gut");
    chart.Legend.SetFirstValue(1);
    EXPECT_EQ(chart.Legend.ShownItemCount(), 1);
    EXPECT_EQ(chart.Legend.ItemText(1), "schlecht nicht gut");

    TTestSeries zeros;
    TChart other;
    zeros.SetParentChart(&other);
    zeros.AppendValue(0, "a");
    zeros.AppendValue(0, "b");
    other.Legend.TextStyle = ltsLeftPercent;
    EXPECT_EQ(other.Legend.ItemText(1), "100 % b") << "a total of 0 gives 100 %";

    TTestSeries second;
    second.Title = "Zweite";
    second.SetParentChart(&other);
    EXPECT_EQ(other.Legend.ResolvedStyle(), lsSeries);
    EXPECT_EQ(other.Legend.ItemText(0), "Series 1");
    EXPECT_EQ(other.Legend.ItemText(1), "Zweite");
}

TEST(LegendSetters, OutOfRangeValuesAreRefusedAndKept) {
    TChart chart;
    struct Case {
        const char* message;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"Position der oberen Legende mu\xDF zwischen 0 und 100% liegen.", [&] { chart.Legend.SetTopPos(101); }},
        {"Position der oberen Legende mu\xDF zwischen 0 und 100% liegen.", [&] { chart.Legend.SetTopPos(-1); }},
        {"Farbbreite f\xFCr Legende mu\xDF zwischen 0 und 100% liegen.", [&] { chart.Legend.SetColorWidth(-1); }},
        {"Erster Wert f\xFCr Legende mu\xDF > 0 sein.", [&] { chart.Legend.SetFirstValue(-1); }},
    };
    for (const Case& c : cases) {
        try {
            c.set();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const LegendException& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_EQ(chart.Legend.TopPos(), 10);
    EXPECT_EQ(chart.Legend.ColorWidth(), 12);
    EXPECT_EQ(chart.Legend.FirstValue(), 0);
}

TEST(AxisIncrement, StepsRiseAlongOneTwoFive) {
    EXPECT_DOUBLE_EQ(NextStep(1), 2);
    EXPECT_DOUBLE_EQ(NextStep(2), 5);
    EXPECT_DOUBLE_EQ(NextStep(5), 10);
    EXPECT_DOUBLE_EQ(NextStep(10), 20);
    EXPECT_DOUBLE_EQ(NextStep(50), 100);
    EXPECT_NEAR(NextStep(0.1), 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(NextStep(3), 5);
}

// With an 11-pixel font s = 11 + Round(1.1) = 12; the 8-point face here is 12 pixels high, giving
// s = 12 + Round(1.2) = 13 and the same n = Round(150 / 13) = 12 most labels.
TEST(AxisIncrement, ValueAxisOf150PixelsAllowsTwelveLabels) {
    TChart chart;
    TCustomChartAxis& axis = chart.LeftAxis;
    chart.AssignCanvasFont(axis.LabelsFont);
    ASSERT_EQ(chart.Canvas().FontHeight(), 12);
    chart.PanelRect = TRect{0, 0, 400, 400};
    chart.PlotRect = TRect{50, 50, 300, 200};
    chart.RecalcWidthHeight();
    ASSERT_EQ(chart.PlotHeight, 150);
    axis.RangeMin = 0;
    axis.RangeMax = 67;
    axis.RangeSpan = 67;
    EXPECT_DOUBLE_EQ(axis.ComputeIncrement(), 10);  // 1, 2, 5 (Round(13.4) > 12), 10
    axis.RangeMax = 60;
    axis.RangeSpan = 60;
    EXPECT_DOUBLE_EQ(axis.ComputeIncrement(), 5) << "Round(60 / 5) = 12 labels fit";
    axis.SetIncrement(20);
    EXPECT_DOUBLE_EQ(axis.ComputeIncrement(), 20) << "a given increment is a minimum step";
    axis.SetIncrement(0);
    axis.RangeMax = axis.RangeMin = 5;
    axis.RangeSpan = 0;
    EXPECT_DOUBLE_EQ(axis.ComputeIncrement(), 1e-12);
}

TEST(AxisMapping, ValueToPixelAndBack) {
    TChart chart;
    chart.PanelRect = TRect{0, 0, 400, 300};
    chart.PlotRect = TRect{100, 50, 300, 250};
    chart.RecalcWidthHeight();
    TCustomChartAxis& x = chart.BottomAxis;
    TCustomChartAxis& y = chart.LeftAxis;
    x.RangeMin = y.RangeMin = 0;
    x.RangeMax = y.RangeMax = 10;
    x.RangeSpan = y.RangeSpan = 10;
    EXPECT_EQ(x.ValueToPixel(0), 100);
    EXPECT_EQ(x.ValueToPixel(2.5), 150);
    EXPECT_EQ(y.ValueToPixel(0), 250);
    EXPECT_EQ(y.ValueToPixel(10), 50);
    EXPECT_DOUBLE_EQ(x.PixelToValue(150), 2.5);
    EXPECT_DOUBLE_EQ(y.PixelToValue(100), 7.5);
    x.Inverted = true;
    EXPECT_EQ(x.ValueToPixel(2.5), 250);
    EXPECT_DOUBLE_EQ(x.PixelToValue(250), 2.5);
    x.RangeMax = 0;
    x.RangeSpan = 0;
    EXPECT_EQ(x.ValueToPixel(123), chart.PlotXCenter) << "an empty range maps to the centre";
    // Margins widen the range so the data lands inside the plot less the margins.
    x.Inverted = false;
    x.RangeMin = 0;
    x.RangeMax = 4;
    x.RangeSpan = 4;
    x.SetPixelRange(TRect{20, 0, 30, 0});
    EXPECT_DOUBLE_EQ(x.RangeMin, 4.0 * -20 / 150);
    EXPECT_DOUBLE_EQ(x.RangeMax, 4.0 * 180 / 150);
    EXPECT_EQ(x.ValueToPixel(0), 120);
    EXPECT_EQ(x.ValueToPixel(4), 270);
}

TEST(AxisSetters, OutOfRangeValuesAreRefusedAndKept) {
    TChart chart;
    TCustomChartAxis& axis = chart.LeftAxis;
    axis.SetMinMax(0, 10);
    struct Case {
        const char* message;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"Wert f\xFCr Achsenminimum mu\xDF <= Maximum sein.", [&] { axis.SetMinimum(11); }},
        {"Wert f\xFCr Achsenmaximum mu\xDF >= Minimum sein.", [&] { axis.SetMaximum(-1); }},
        {"Achsen-Steigung mu\xDF >= 0 sein.", [&] { axis.SetIncrement(-1); }},
        {"Beschriftungssabstand mu\xDF gr\xF6\xDF" "er als 0 sein.", [&] { axis.SetLabelsSeparation(-1); }},
        {"Achsenbeschriftung-Winkel mu\xDF zwischen 0 und 359 Grad liegen.", [&] { axis.SetLabelsAngle(361); }},
        {"Achsenbeschriftung-Winkel mu\xDF zwischen 0 und 359 Grad liegen.", [&] { axis.SetLabelsAngle(-1); }},
    };
    for (const Case& c : cases) {
        try {
            c.set();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const AxisException& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_DOUBLE_EQ(axis.Minimum(), 0);
    EXPECT_DOUBLE_EQ(axis.Maximum(), 10);
    EXPECT_EQ(axis.LabelsSeparation(), 10);
    axis.SetLabelsAngle(360);
    EXPECT_EQ(axis.LabelsAngle(), 0);
    axis.DateTimeValues = true;
    EXPECT_THROW(axis.SetLogarithmic(true), AxisException);
    axis.DateTimeValues = false;
    axis.RangeMin = -1;
    EXPECT_THROW(axis.SetLogarithmic(true), AxisException);
    EXPECT_FALSE(axis.Logarithmic());
}
