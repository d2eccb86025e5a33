// A minimal series type for the chart tests: each point is a small filled square in its colour.
#pragma once

#include <vector>

#include "chart/model/chart.h"
#include "chart/series/stored_look.h"

class TTestSeries : public TChartSeries {
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
        TRasterCanvas3D& canvas = Canvas();
        canvas.Pen.Style = psClear;
        canvas.Brush = TBrush{PointColor(i), TBrushStyle::bsSolid, nullptr};
        const int x = PointPixelX(i), y = PointPixelY(i);
        canvas.Rectangle(x - 2, y - 2, x + 3, y + 3);
    }
    void BeginDrawPoints() override {
        ++Begun;
        TChartSeries::BeginDrawPoints();
    }
    void EndDrawPoints() override {
        ++Ended;
        TChartSeries::EndDrawPoints();
    }
    void HorizontalMargins(int& left, int& right) override {
        left = MarginLeft;
        right = MarginRight;
    }
    void VerticalMargins(int& top, int& bottom) override {
        top = MarginTop;
        bottom = MarginBottom;
    }
    bool ClassIncludes(const TChartSeries& s) const override { return dynamic_cast<const TTestSeries*>(&s); }
};

// The default view request on top of the stored settings: 2D, no border.
inline void ApplyDefaultRequest(TChart& chart) {
    ApplyStoredChartSettings(chart);
    chart.View3D = false;
    chart.BorderStyle = TBorderStyle::bsNone;
    chart.BevelOuter = bvNone;
    chart.BevelInner = bvNone;
}

inline TBitmap Render(TChart& chart) {
    TBitmap bitmap(chart.Width, chart.Height, clBlack);
    chart.PaintTo(bitmap, TRect{0, 0, chart.Width, chart.Height});
    return bitmap;
}
