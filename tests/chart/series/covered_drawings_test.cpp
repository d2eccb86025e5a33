// Charts of 20,000 points skip the bars, 3D pie slices and marks that a later one covers: the
// picture is the one that drawing every one of them gives.
#include <gtest/gtest.h>

#include "chart/canvas/color_shade.h"
#include "chart/model/covered_drawings.h"
#include "chart/model/palette.h"
#include "tests/chart/test_series.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr int kPoints = 20000;

enum class Marks { none, percent, value, transparentValue };

struct Case {
    const char* name;
    int style;  // 0 bars, 1 horizontal bars, 2 area, 3 pie
    bool view3D;
    bool orthogonal;
    Marks marks;  // marks over the points hide the tops of the bars; transparent ones show what is under them
    bool eachItsOwnColour = false;
};

// Runs of seven equal values, steps of one up and down and of 100: many points share their
// pixels, some of them with another value (and value mark) than the point before.
double ValueOf(int k) {
    static constexpr int kSteps[] = {0, 1, 2, 1};
    return 1 + (k / 37) % 5 * 100 + kSteps[k / 7 % 4];
}

// Sets the switch for one drawing; the program's setting is back afterwards, also on a failure.
struct SkipSetting {
    explicit SkipSetting(bool skip) { SkipCoveredDrawings = skip; }
    ~SkipSetting() { SkipCoveredDrawings = true; }
    SkipSetting(const SkipSetting&) = delete;
    SkipSetting& operator=(const SkipSetting&) = delete;
};

TBitmap Draw(const Case& c, bool skipCovered) {
    TChart chart;
    TBarSeries bars;
    THorizBarSeries horizontalBars;
    TAreaSeries area;
    TPieSeries pie;
    ApplyDefaultRequest(chart);
    ApplyStoredSeriesSettings(chart, bars, horizontalBars, area, pie);
    chart.View3D = c.view3D;
    chart.View3DOptions.Orthogonal = c.orthogonal;
    TChartSeries* const styles[] = {&bars, &horizontalBars, &area, &pie};
    TChartSeries& series = *styles[c.style];
    series.SetActive(true);
    const TColor base = PaletteColor(10);
    for (int k = 0; k < kPoints; ++k)
        series.AppendValue(ValueOf(k), "answer " + std::to_string(k),
                           c.eachItsOwnColour ? AutoColor : Darker(base, 15 * k % 256));
    series.SetColorEachPoint(true);
    series.Marks.Visible = c.marks != Marks::none;
    series.Marks.SetStyle(c.marks == Marks::percent ? smsPercent : smsValue);
    series.Marks.Transparent = c.marks == Marks::transparentValue;
    const SkipSetting setting(skipCovered);
    return Render(chart);
}

int DifferingPixels(const TBitmap& a, const TBitmap& b) {
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) count += a.GetPixel(x, y) != b.GetPixel(x, y);
    return count;
}

TEST(CoveredDrawings, SkippingThemLeavesThePictureAsDrawingAll) {
    const Case cases[] = {
        {"bars", 0, false, true, Marks::none},
        {"bars, percentage marks", 0, false, true, Marks::percent},
        {"bars, transparent value marks", 0, false, true, Marks::transparentValue},
        {"bars 3D", 0, true, true, Marks::none},
        {"horizontal bars", 1, false, true, Marks::none},
        {"horizontal bars, value marks", 1, false, true, Marks::value},
        {"horizontal bars 3D rotated, percentage marks", 1, true, false, Marks::percent},
        {"area, value marks", 2, false, true, Marks::value},
        {"area 3D, percentage marks", 2, true, true, Marks::percent},
        {"pie, value marks", 3, false, true, Marks::value},
        {"pie 3D", 3, true, true, Marks::none},
        {"pie 3D rotated, every slice its own colour, value marks", 3, true, false, Marks::value, true},
    };
    for (const Case& c : cases) EXPECT_EQ(DifferingPixels(Draw(c, true), Draw(c, false)), 0) << c.name;
}

}  // namespace
