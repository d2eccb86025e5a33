// The projected outline of a pie slice with depth: arc points, centre, sides and visible rim runs.
#pragma once

#include <array>
#include <vector>

#include "chart/canvas/projection.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

struct TPieSliceGeometry {
    static constexpr int kArcPoints = 32;

    struct Run {
        int first;  // 1-based arc point indexes, as in P1..P32
        int last;
        friend bool operator==(const Run&, const Run&) = default;
    };

    std::array<platform::TPoint, kArcPoints> face;  // P1..P32, projected at the face depth z1
    std::array<platform::TPoint, kArcPoints> back;  // Q1..Q32, projected at z0
    platform::TPoint faceCentre;                    // C1
    platform::TPoint backCentre;                    // C0
    bool endSideVisible = false;          // x(P32) < xCenter
    bool startSideVisible = false;        // x(P1) > xCenter
    std::vector<Run> rim;                 // stretches of the arc that run left to right on screen

    const platform::TPoint& P(int k) const { return face[static_cast<std::size_t>(k - 1)]; }
    friend bool operator==(const TPieSliceGeometry&, const TPieSliceGeometry&) = default;
    const platform::TPoint& Q(int k) const { return back[static_cast<std::size_t>(k - 1)]; }
};

// Where a slice's arc starts and ends on the raster, before projection. An arc whose ends fall on
// one pixel within a quarter of the circle lies wholly on that pixel, and the slice is drawn as
// that one point whatever the projection: two such slices on one pixel have one outline.
struct TPieArcEnds {
    platform::TPoint first;
    platform::TPoint last;
    long double lastAngle = 0;
    bool onePixel = false;
};

// Angles in radians, counter-clockwise from the positive x axis. before, when given, holds the
// ends of the slice just before on the same ellipse: where its arc ends at this one's start
// angle, its last point is this one's first, not worked out again.
TPieArcEnds PieArcEnds(int xCenter, int yCenter, int xRadius, int yRadius, double startAngle, double endAngle,
                       const TPieArcEnds* before = nullptr);

TPieSliceGeometry ComputePieSlice(const TProjection3D& projection, int xCenter, int yCenter, int xRadius,
                                  int yRadius, int z0, int z1, double startAngle, double endAngle);

// The rim runs of a projected arc (x of P1..P32 in order).
std::vector<TPieSliceGeometry::Run> PieRimRuns(const std::array<int, TPieSliceGeometry::kArcPoints>& x);

// The 20 vertices of an ellipse drawn as a polygon at depth z, projected.
std::array<platform::TPoint, 20> EllipseVertices(const TProjection3D& projection, int left, int top, int right, int bottom,
                                       int z);

}  // namespace tallyhouse::chart
