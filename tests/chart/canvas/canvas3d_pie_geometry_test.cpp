// Which stretches of a pie slice's projected arc get a rim, and where the arc points lie.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "chart/canvas/pie_slice_geometry.h"
#include "platform/raster/arith.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

using RimRun = TPieSliceGeometry::Run;
using Xs = std::array<int, TPieSliceGeometry::kArcPoints>;

// x of P1..P32: P1 is 100, then each (steps, slope) pair moves that many points by slope.
Xs Profile(std::initializer_list<std::pair<int, int>> segments) {
    Xs x{};
    x[0] = 100;
    std::size_t k = 1;
    for (auto [steps, slope] : segments)
        for (int i = 0; i < steps && k < x.size(); ++i, ++k) x[k] = x[k - 1] + slope;
    return x;
}

TProjection3D Oblique() {
    TView3DOptions o;
    TProjection3D p;
    p.Begin(&o, true);
    p.SetViewCentre(&o, 20, Rect(0, 0, 200, 200));
    return p;
}

}  // namespace

TEST(Canvas3DPieGeometry, RimRuns) {
    struct Case { const char* fault; Xs x; std::vector<RimRun> expected; };
    const Case cases[] = {
        {"rim on an arc running right to left", Profile({{31, -1}}), {}},
        {"rim on a flat arc", Profile({{31, 0}}), {}},
        {"whole rising arc not one run", Profile({{31, 1}}), {{1, 32}}},
        {"run does not start at the lowest point", Profile({{10, -1}, {21, 1}}), {{11, 32}}},
        {"run does not start after a flat stretch", Profile({{3, 0}, {28, 1}}), {{4, 32}}},
        {"second rising stretch missing", Profile({{7, 1}, {16, -1}, {8, 1}}), {{1, 8}, {24, 32}}},
        {"a rise into P31 with P32 falling back makes no run", Profile({{29, -1}, {1, 5}, {1, -1}}), {}},
        {"a rise into P32 alone not drawn", Profile({{30, -1}, {1, 1}}), {{31, 32}}},
    };
    for (const Case& c : cases) EXPECT_EQ(PieRimRuns(c.x), c.expected) << c.fault;
}

TEST(Canvas3DPieGeometry, ArcPointsAndSidesOfAFlatSlice) {
    TProjection3D flat;  // 3D not enabled: identity
    const double pi = std::numbers::pi;
    TPieSliceGeometry g = ComputePieSlice(flat, 100, 100, 50, 30, 0, 10, 0.0, pi / 2);
    EXPECT_EQ(g.P(1), Point(150, 100));
    EXPECT_EQ(g.P(32), Point(100, 70)) << "y must grow downward for positive angles";
    EXPECT_EQ(g.faceCentre, Point(100, 100));
    EXPECT_EQ(g.Q(5), g.P(5));
    EXPECT_TRUE(g.startSideVisible);
    EXPECT_FALSE(g.endSideVisible);
    EXPECT_TRUE(g.rim.empty());
}

TEST(Canvas3DPieGeometry, LowerHalfOfAnObliquePieHasItsRim) {
    const double pi = std::numbers::pi;
    TPieSliceGeometry g = ComputePieSlice(Oblique(), 100, 100, 50, 50, 0, 20, pi, 2 * pi);
    ASSERT_EQ(g.rim.size(), 1u);
    EXPECT_EQ(g.rim[0], (RimRun{2, 32})) << "P1 and P2 share the leftmost column";
    EXPECT_EQ(g.Q(1).X - g.P(1).X, -20) << "the face lies at z1, the back at z0";
    g = ComputePieSlice(Oblique(), 100, 100, 50, 50, 0, 20, 0.0, pi);
    EXPECT_TRUE(g.rim.empty()) << "the upper half faces away";
}

TEST(Canvas3DPieGeometry, HugeRadiiSaturate) {
    TPieSliceGeometry g = ComputePieSlice(Oblique(), 0, 0, 2000000000, 2000000000, 0, 20, 0.0, 6.3);
    for (int k = 1; k <= 32; ++k) EXPECT_LE(g.P(k).X, std::numeric_limits<int>::max());
    auto v = EllipseVertices(TProjection3D{}, -2000000000, -2000000000, 2000000000, 2000000000, 0);
    EXPECT_EQ(v[0], Point(0, 2000000000));
    EXPECT_EQ(v[5], Point(2000000000, 0));
}

TEST(Canvas3DPieGeometry, EllipseVerticesStartAtTheBottom) {
    auto v = EllipseVertices(TProjection3D{}, 0, 0, 41, 21, 5);
    EXPECT_EQ(v[0], Point(20, 20));   // cy + ry*cos 0
    EXPECT_EQ(v[5], Point(40, 10));   // sin(pi/2)
    EXPECT_EQ(v[10], Point(20, 0));
    EXPECT_EQ(v[15], Point(0, 10));
    EXPECT_EQ(v[1], Point(20 + 6, 10 + 9));  // Trunc(20 * 0.309), Trunc(10 * 0.951)
}

// The arc ends come mostly from double sine and cosine; they must round exactly as the
// extended-precision products do, also where a product lies a hair from a half.
TEST(Canvas3DPieGeometry, ArcEndsRoundAsExtendedPrecisionDoes) {
    const auto expected = [](int cx, int cy, int rx, int ry, long double a) {
        return Point(cx + Round(rx * std::cos(a)), cy - Round(ry * std::sin(a)));
    };
    std::uint64_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 6364136223846793005ull + 1442695040888963407ull) >> 11; };
    for (int n = 0; n < 200000; ++n) {
        const int rx = static_cast<int>(next() % 3000), ry = static_cast<int>(next() % 3000);
        double a = static_cast<double>(next() % 1000000) / 1000000 * 20 - 5;
        if (n % 2 == 0 && rx > 0) {
            // An angle whose cosine puts the product right at a half: the near-tie case.
            const double half = static_cast<double>(next() % static_cast<std::uint64_t>(rx)) + 0.5;
            a = std::acos(half / rx);
        }
        const TPieArcEnds ends = PieArcEnds(7, 9, rx, ry, a, a);
        ASSERT_EQ(ends.first, expected(7, 9, rx, ry, a)) << "rx " << rx << " ry " << ry << " angle " << a;
    }
}
