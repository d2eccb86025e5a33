// A chart drawn onto a bitmap for probing the pixels a series draws: white panel, no legend,
// no title, no bevel.
#pragma once

#include "chart/model/chart.h"
#include "platform/raster/bitmap.h"

namespace seriestest {

struct DrawnChart {
    TChart chart;
    TBitmap bitmap;

    DrawnChart(int width, int height, bool view3D) {
        chart.Width = width;
        chart.Height = height;
        chart.Color = clWhite;
        chart.View3D = view3D;
        chart.BevelOuter = bvNone;
        chart.Legend.Visible = false;
        chart.Title.Visible = false;
        chart.Foot.Visible = false;
    }

    void Draw() {
        bitmap.Resize(chart.Width, chart.Height, clWhite);
        chart.PaintTo(bitmap, Rect(0, 0, chart.Width, chart.Height));
    }

    TColor At(int x, int y) const { return bitmap.GetPixel(x, y); }
    TColor At(TPoint p) const { return bitmap.GetPixel(p.X, p.Y); }
};

}  // namespace seriestest
