// Fixed point counts keep pies and ellipses cheap whatever their size; all sums are 64-bit and saturated.
#include "chart/canvas/pie_slice_geometry.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

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

// Whether v lies clearly away from the half between two integers, where rounding could go either way.
bool ClearOfHalf(double v) { return std::fabs(v - std::floor(v) - 0.5) > 1e-6; }

// Round(xRadius * cos(a)) and Round(yRadius * sin(a)) exactly as extended precision gives them,
// mostly from the double sine and cosine, which cost a tenth: below these bounds of angle and
// radius the two products differ by less than 1e-8 pixels, so one farther than 1e-6 from a half
// rounds alike either way. A product that close to a half is worked out in extended precision.
TPoint RoundedArcOffset(int xRadius, int yRadius, long double a) {
    constexpr long double kAngleBound = 64;
    constexpr std::int64_t kRadiusBound = std::int64_t{1} << 20;
    const auto small = [](int r) { return r > -kRadiusBound && r < kRadiusBound; };
    if (std::fabs(a) < kAngleBound && small(xRadius) && small(yRadius)) {
        const double angle = static_cast<double>(a);
        const double x = xRadius * std::cos(angle);
        const double y = yRadius * std::sin(angle);
        if (ClearOfHalf(x) && ClearOfHalf(y))
            return TPoint{static_cast<int>(std::floor(x + 0.5)), static_cast<int>(std::floor(y + 0.5))};
    }
    return TPoint{Round(xRadius * std::cos(a)), Round(yRadius * std::sin(a))};
}

// Arc point k (1..32) of a slice, on the raster before projection.
TPoint ArcPixel(int xCenter, int yCenter, int xRadius, int yRadius, long double startAngle, long double step, int k) {
    const TPoint offset = RoundedArcOffset(xRadius, yRadius, startAngle + (k - 1) * step);
    return TPoint{Saturate(static_cast<std::int64_t>(xCenter) + offset.X),
                  Saturate(static_cast<std::int64_t>(yCenter) - offset.Y)};
}

long double ArcStep(double startAngle, double endAngle) {
    return (static_cast<long double>(endAngle) - startAngle) / (TPieSliceGeometry::kArcPoints - 1);
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

TPieArcEnds PieArcEnds(int xCenter, int yCenter, int xRadius, int yRadius, double startAngle, double endAngle,
                       const TPieArcEnds* before) {
    const long double step = ArcStep(startAngle, endAngle);
    constexpr int last = TPieSliceGeometry::kArcPoints;
    TPieArcEnds ends;
    ends.first = before && before->lastAngle == startAngle
                     ? before->last
                     : ArcPixel(xCenter, yCenter, xRadius, yRadius, startAngle, step, 1);
    ends.last = ArcPixel(xCenter, yCenter, xRadius, yRadius, startAngle, step, last);
    ends.lastAngle = startAngle + (last - 1) * step;
    // Within a quarter of the circle sine and cosine only rise or only fall, so when both ends
    // round to one pixel every point between does too (a slice of a pie of many thousand).
    const long double quarter = std::numbers::pi_v<long double> / 2;
    ends.onePixel =
        ends.first == ends.last && std::floor(startAngle / quarter) == std::floor(ends.lastAngle / quarter);
    return ends;
}

TPieSliceGeometry ComputePieSlice(const TProjection3D& projection, int xCenter, int yCenter, int xRadius,
                                  int yRadius, int z0, int z1, double startAngle, double endAngle) {
    TPieSliceGeometry g;
    std::array<int, TPieSliceGeometry::kArcPoints> xs{};
    const long double step = ArcStep(startAngle, endAngle);
    const TPieArcEnds ends = PieArcEnds(xCenter, yCenter, xRadius, yRadius, startAngle, endAngle);
    // A one-pixel arc is worked out and projected once.
    const TPoint onePixelFace = projection.Project(ends.first.X, ends.first.Y, z1);
    const TPoint onePixelBack = projection.Project(ends.first.X, ends.first.Y, z0);
    for (int k = 1; k <= TPieSliceGeometry::kArcPoints; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        if (ends.onePixel) {
            g.face[i] = onePixelFace;
            g.back[i] = onePixelBack;
        } else {
            const TPoint p = k == 1                              ? ends.first
                             : k == TPieSliceGeometry::kArcPoints ? ends.last
                                                                  : ArcPixel(xCenter, yCenter, xRadius, yRadius,
                                                                             startAngle, step, k);
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

}  // namespace tallyhouse::chart
