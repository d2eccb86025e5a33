// Maps 3D chart points (x, y in pixels, z = depth) onto the raster: oblique or rotated, no perspective.
#pragma once

#include "chart/canvas/view3d_options.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TProjection3D {
public:
    int ViewCenterX = 0;
    int ViewCenterY = 0;
    int ViewCenterZ = 0;
    int ScreenCenterX = 0;
    int ScreenCenterY = 0;
    double ViewScale = 1.0;
    double Cxx = 1.0, Cxy = 0.0, Cxz = 0.0;
    double Cyx = 0.0, Cyy = 1.0, Cyz = 0.0;
    bool Enabled3D = false;
    bool OrthoView = true;

    // Starts a view: scale 1, and with 3D and options given the zoom, the view kind and the
    // rotation coefficients.
    void Begin(const TView3DOptions* options, bool is3D);
    // Centres the projection on the plot rectangle; depth is the whole depth of the 3D box.
    void SetViewCentre(const TView3DOptions* options, int depth, const platform::TRect& plotRect);
    void ComputeRotation(const TView3DOptions& options);

    platform::TPoint Project(int x, int y, int z) const;
    // Inverse of the oblique view for a point known to lie at depth z (mouse positions);
    // other views leave the point alone.
    void Unproject(int& x, int& y, int z) const;

    void Suspend() { saved3D_ = Enabled3D; Enabled3D = false; }
    void Resume() { Enabled3D = saved3D_; }

private:
    bool saved3D_ = false;
};

}  // namespace tallyhouse::chart
