// A small 3D canvas drawing straight onto a white bitmap, for pixel probes.
#pragma once

#include "chart/canvas/canvas3d.h"

struct ProbeCanvas {
    explicit ProbeCanvas(bool is3D, tallyhouse::chart::TView3DOptions view = {}, int width = 100, int height = 100, int depth = 20)
        : bitmap(width, height, tallyhouse::platform::clWhite), options(view) {
        canvas.SetBuffered(false);
        tallyhouse::platform::TRect work;
        canvas.BeginView(&bitmap, &options, work, tallyhouse::platform::Rect(0, 0, width, height), is3D);
        canvas.SetViewCentre(depth, work, work);
    }
    tallyhouse::platform::TColor At(int x, int y) const { return bitmap.GetPixel(x, y); }
    int Count(tallyhouse::platform::TColor color) const {
        int n = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) n += bitmap.GetPixel(x, y) == color;
        return n;
    }

    tallyhouse::platform::TBitmap bitmap;
    tallyhouse::chart::TView3DOptions options;
    tallyhouse::chart::TRasterCanvas3D canvas;
};
