// A minimal series type for the chart tests: each point is a small filled square in its colour.
#pragma once

#include <vector>

#include "chart/model/chart.h"
#include "chart/series/stored_look.h"

class TTestSeries : public tallyhouse::chart::TChartSeries {
public:
    std::vector<int> Drawn;
    int MarginLeft = 0;
    int MarginRight = 0;
    int MarginTop = 0;
    int MarginBottom = 0;
    int Begun = 0;
    int Ended = 0;

    void DrawPoint(int i) override {
        Drawn.push_back(i);
        tallyhouse::chart::TRasterCanvas3D& canvas = Canvas();
        canvas.Pen.Style = tallyhouse::platform::psClear;
        canvas.Brush = tallyhouse::platform::TBrush{PointColor(i), tallyhouse::platform::TBrushStyle::bsSolid, nullptr};
        const int x = PointPixelX(i), y = PointPixelY(i);
        canvas.Rectangle(x - 2, y - 2, x + 3, y + 3);
    }
    void BeginDrawPoints() override {
        ++Begun;
        tallyhouse::chart::TChartSeries::BeginDrawPoints();
    }
    void EndDrawPoints() override {
        ++Ended;
        tallyhouse::chart::TChartSeries::EndDrawPoints();
    }
    void HorizontalMargins(int& left, int& right) override {
        left = MarginLeft;
        right = MarginRight;
    }
    void VerticalMargins(int& top, int& bottom) override {
        top = MarginTop;
        bottom = MarginBottom;
    }
    bool ClassIncludes(const tallyhouse::chart::TChartSeries& s) const override { return dynamic_cast<const TTestSeries*>(&s); }
};

// The default view request on top of the stored settings: 2D, no border.
inline void ApplyDefaultRequest(tallyhouse::chart::TChart& chart) {
    tallyhouse::chart::ApplyStoredChartSettings(chart);
    chart.View3D = false;
    chart.BorderStyle = tallyhouse::chart::TBorderStyle::bsNone;
    chart.BevelOuter = tallyhouse::chart::bvNone;
    chart.BevelInner = tallyhouse::chart::bvNone;
}

inline tallyhouse::platform::TBitmap Render(tallyhouse::chart::TChart& chart) {
    tallyhouse::platform::TBitmap bitmap(chart.Width, chart.Height, tallyhouse::platform::clBlack);
    chart.PaintTo(bitmap, tallyhouse::platform::TRect{0, 0, chart.Width, chart.Height});
    return bitmap;
}
