// A small 3D canvas drawing straight onto a white bitmap, for pixel probes.
#pragma once

#include "chart/canvas/canvas3d.h"

struct ProbeCanvas {
    explicit ProbeCanvas(bool is3D, TView3DOptions view = {}, int width = 100, int height = 100, int depth = 20)
        : bitmap(width, height, clWhite), options(view) {
        canvas.SetBuffered(false);
        TRect work;
        canvas.BeginView(&bitmap, &options, work, Rect(0, 0, width, height), is3D);
        canvas.SetViewCentre(depth, work, work);
    }
    TColor At(int x, int y) const { return bitmap.GetPixel(x, y); }
    int Count(TColor color) const {
        int n = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) n += bitmap.GetPixel(x, y) == color;
        return n;
    }

    TBitmap bitmap;
    TView3DOptions options;
    TRasterCanvas3D canvas;
};
