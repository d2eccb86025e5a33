// A chart drawn onto a bitmap for probing the pixels a series draws: white panel, no legend,
// no title, no bevel.
#pragma once

#include "chart/model/chart.h"
#include "platform/raster/bitmap.h"

namespace seriestest {

struct DrawnChart {
    tallyhouse::chart::TChart chart;
    tallyhouse::platform::TBitmap bitmap;

    DrawnChart(int width, int height, bool view3D) {
        chart.Width = width;
        chart.Height = height;
        chart.Color = tallyhouse::platform::clWhite;
        chart.View3D = view3D;
        chart.BevelOuter = tallyhouse::chart::bvNone;
        chart.Legend.Visible = false;
        chart.Title.Visible = false;
        chart.Foot.Visible = false;
    }

    void Draw() {
        bitmap.Resize(chart.Width, chart.Height, tallyhouse::platform::clWhite);
        chart.PaintTo(bitmap, tallyhouse::platform::Rect(0, 0, chart.Width, chart.Height));
    }

    tallyhouse::platform::TColor At(int x, int y) const { return bitmap.GetPixel(x, y); }
    tallyhouse::platform::TColor At(tallyhouse::platform::TPoint p) const { return bitmap.GetPixel(p.X, p.Y); }
};

}  // namespace seriestest
