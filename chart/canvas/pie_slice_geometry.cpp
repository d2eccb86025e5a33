// Fixed point counts keep pies and ellipses cheap whatever their size; all sums are 64-bit and saturated.
#include "chart/canvas/pie_slice_geometry.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "platform/arith.h"

namespace {

int Saturate(std::int64_t v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

int Half(int a, int b) { return static_cast<int>((static_cast<std::int64_t>(a) + b) / 2); }
int HalfSpan(int from, int to) { return Saturate((static_cast<std::int64_t>(to) - from) / 2); }

// The smallest j in from..31 with x(Pj+1) < x(Pj); 0 when there is none.
int FirstFall(const std::array<int, TPieSliceGeometry::kArcPoints>& x, int from) {
    for (int j = from; j <= 31; ++j)
        if (x[static_cast<std::size_t>(j)] < x[static_cast<std::size_t>(j - 1)]) return j;
    return 0;
}

}  // namespace

std::vector<TPieSliceGeometry::Run> PieRimRuns(const std::array<int, TPieSliceGeometry::kArcPoints>& x) {
    auto at = [&x](int k) { return x[static_cast<std::size_t>(k - 1)]; };
    std::vector<TPieSliceGeometry::Run> runs;
    int k = 2;
    while (k <= 32 && !(at(k) > at(k - 1))) ++k;
    if (k > 32) return runs;
    int end = FirstFall(x, k + 1);
    if (end == 0 && at(32) >= at(31)) end = 32;
    if (end != 0) runs.push_back({k - 1, end});
    if (end != 32 && at(32) > at(31)) {
        int j = 31;
        while (j > 1 && at(j) > at(j - 1)) --j;
        if (j > 1) runs.push_back({j, 32});
    }
    return runs;
}

TPieSliceGeometry ComputePieSlice(const TProjection3D& projection, int xCenter, int yCenter, int xRadius,
                                  int yRadius, int z0, int z1, double startAngle, double endAngle) {
    TPieSliceGeometry g;
    std::array<int, TPieSliceGeometry::kArcPoints> xs{};
    const long double step = (static_cast<long double>(endAngle) - startAngle) / 31;
    const auto arcPixel = [&](int k) {
        const long double a = startAngle + (k - 1) * step;
        return TPoint{Saturate(static_cast<std::int64_t>(xCenter) + Round(xRadius * std::cos(a))),
                      Saturate(static_cast<std::int64_t>(yCenter) - Round(yRadius * std::sin(a)))};
    };
    const TPoint first = arcPixel(1);
    const TPoint last = arcPixel(TPieSliceGeometry::kArcPoints);
    // Within a quarter of the circle sine and cosine only rise or only fall, so when both ends
    // of the arc round to one pixel every point between does too: a slice thinner than a pixel
    // (of a pie of many thousand slices) is one point, worked out and projected once.
    const long double quarter = std::numbers::pi_v<long double> / 2;
    const long double lastAngle = startAngle + 31 * step;
    const bool onePixel = first == last && std::floor(startAngle / quarter) == std::floor(lastAngle / quarter);
    const TPoint onePixelFace = projection.Project(first.X, first.Y, z1);
    const TPoint onePixelBack = projection.Project(first.X, first.Y, z0);
    for (int k = 1; k <= TPieSliceGeometry::kArcPoints; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (onePixel) {
            g.face[i] = onePixelFace;
            g.back[i] = onePixelBack;
        } else {
            const TPoint p = k == 1 ? first : k == TPieSliceGeometry::kArcPoints ? last : arcPixel(k);
            g.face[i] = projection.Project(p.X, p.Y, z1);
            g.back[i] = projection.Project(p.X, p.Y, z0);
        }
        xs[i] = g.face[i].X;
    }
    g.faceCentre = projection.Project(xCenter, yCenter, z1);
    g.backCentre = projection.Project(xCenter, yCenter, z0);
    g.endSideVisible = g.P(32).X < xCenter;
    g.startSideVisible = g.P(1).X > xCenter;
    g.rim = PieRimRuns(xs);
    return g;
}

std::array<TPoint, 20> EllipseVertices(const TProjection3D& projection, int left, int top, int right, int bottom,
                                       int z) {
    const int cx = Half(left, right), cy = Half(top, bottom);
    const int rx = HalfSpan(left, right), ry = HalfSpan(top, bottom);
    std::array<TPoint, 20> v;
    for (int k = 0; k < 20; ++k) {
        const long double a = k * std::numbers::pi_v<long double> / 10;
        const int x = Saturate(static_cast<std::int64_t>(cx) + Trunc(rx * std::sin(a)));
        const int y = Saturate(static_cast<std::int64_t>(cy) + Trunc(ry * std::cos(a)));
        v[static_cast<std::size_t>(k)] = projection.Project(x, y, z);
    }
    return v;
}
