// Geometry in extended precision, rounded and saturated to pixel ints.
#include "chart/canvas/solid_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

std::int64_t Cross(TPoint o, TPoint a, TPoint b) {
    return (static_cast<std::int64_t>(a.X) - o.X) * (static_cast<std::int64_t>(b.Y) - o.Y) -
           (static_cast<std::int64_t>(a.Y) - o.Y) * (static_cast<std::int64_t>(b.X) - o.X);
}

}  // namespace

std::array<TPoint3D, kCylinderRingPoints> CylinderRing(bool vertical, int along, int centre, int radius,
                                                       int centreZ, int radiusZ) {
    std::array<TPoint3D, kCylinderRingPoints> ring;
    for (int k = 0; k < kCylinderRingPoints; ++k) {
        const long double a = 2 * std::numbers::pi_v<long double> * k / kCylinderRingPoints;
        const int across = Round(centre + static_cast<long double>(radius) * std::cos(a));
        const int z = Round(centreZ + static_cast<long double>(radiusZ) * std::sin(a));
        ring[static_cast<std::size_t>(k)] = vertical ? TPoint3D{across, along, z} : TPoint3D{along, across, z};
    }
    return ring;
}

std::vector<TPoint> ConvexHull(std::vector<TPoint> points) {
    if (points.size() < 3) return points;
    std::sort(points.begin(), points.end(),
              [](TPoint a, TPoint b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); });
    std::vector<TPoint> hull(2 * points.size());
    std::size_t n = 0;
    for (const TPoint& p : points) {
        while (n >= 2 && Cross(hull[n - 2], hull[n - 1], p) <= 0) --n;
        hull[n++] = p;
    }
    const std::size_t lower = n + 1;
    for (std::size_t i = points.size() - 1; i-- > 0;) {
        while (n >= lower && Cross(hull[n - 2], hull[n - 1], points[i]) <= 0) --n;
        hull[n++] = points[i];
    }
    hull.resize(n > 1 ? n - 1 : n);
    return hull;
}

TArrowShape ArrowShape(TPoint from, TPoint to, int headWidth, int headHeight) {
    TArrowShape shape;
    const long double dx = static_cast<long double>(to.X) - from.X;
    const long double dy = static_cast<long double>(to.Y) - from.Y;
    const long double length = std::hypot(dx, dy);
    if (length == 0) return shape;
    const long double ux = dx / length, uy = dy / length;
    const long double bx = to.X - ux * headHeight, by = to.Y - uy * headHeight;
    const long double half = headWidth / 2.0L;
    shape.shaftEnd = TPoint{Round(bx), Round(by)};
    shape.head = {to, TPoint{Round(bx - uy * half), Round(by + ux * half)},
                  TPoint{Round(bx + uy * half), Round(by - ux * half)}};
    shape.valid = true;
    return shape;
}

}  // namespace tallyhouse::chart
