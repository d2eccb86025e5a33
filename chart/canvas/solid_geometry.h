// Outlines of the solids the canvas draws besides boxes: cylinder rings, the hull around them, arrows.
#pragma once

#include <array>
#include <vector>

#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

struct TPoint3D {
    int X = 0;
    int Y = 0;
    int Z = 0;
};

// Points of a ring around a cylinder's axis: vertical cylinders run along y, horizontal along x.
constexpr int kCylinderRingPoints = 24;
std::array<TPoint3D, kCylinderRingPoints> CylinderRing(bool vertical, int along, int centre, int radius,
                                                       int centreZ, int radiusZ);

// The convex hull of the points, counter-clockwise on screen; fewer than three points come back as given.
std::vector<platform::TPoint> ConvexHull(std::vector<platform::TPoint> points);

// An arrow head with its tip at `to`, headHeight long along from->to and headWidth wide; the shaft
// ends at the middle of the head's base. Empty when from and to coincide.
struct TArrowShape {
    platform::TPoint shaftEnd;
    std::array<platform::TPoint, 3> head;  // tip, one wing, the other wing
    bool valid = false;
};
TArrowShape ArrowShape(platform::TPoint from, platform::TPoint to, int headWidth, int headHeight);

}  // namespace tallyhouse::chart
