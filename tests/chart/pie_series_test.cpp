// Pie series: ellipse, angles and grouping as numbers, then drawn slices probed by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "chart/pie_geometry.h"

namespace {

constexpr double Degree = std::numbers::pi / 180;

TEST(PieGeometry, AnglesFollowTheRunningSum) {
    const auto angles = PieAngles({67, 58, 32, 18}, {}, 175);
    ASSERT_EQ(angles.size(), 4u);
    EXPECT_NEAR(angles[0].StartAngle, 0, 1e-12);
    EXPECT_NEAR(angles[0].EndAngle / Degree, 137.83, 0.005);
    EXPECT_NEAR(angles[1].EndAngle / Degree, 257.14, 0.005);
    EXPECT_NEAR(angles[2].EndAngle / Degree, 322.97, 0.005);
    EXPECT_EQ(angles[3].EndAngle, 2 * std::numbers::pi) << "the last slice closes exactly";
    EXPECT_EQ(angles[1].StartAngle, angles[0].EndAngle);
    EXPECT_NEAR(angles[0].MidAngle, angles[0].EndAngle / 2, 1e-12);
}

TEST(PieGeometry, DegenerateValueSets) {
    const auto single = PieAngles({5}, {}, 5);
    EXPECT_EQ(single[0].StartAngle, 0);
    EXPECT_EQ(single[0].EndAngle, 2 * std::numbers::pi) << "one point is a full ellipse";

    const auto zeros = PieAngles({0, 0, 0}, {}, 0);
    EXPECT_EQ(zeros[0].EndAngle, 2 * std::numbers::pi) << "slice 0 takes the whole pie";
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(zeros[i].StartAngle, 2 * std::numbers::pi) << "later slices are empty";
        EXPECT_EQ(zeros[i].EndAngle, 2 * std::numbers::pi);
    }

    const auto negative = PieAngles({-10, 10}, {}, 20);
    EXPECT_NEAR(negative[0].EndAngle, std::numbers::pi, 1e-12) << "magnitudes, not signed values";

    const auto grouped = PieAngles({50, 1, 50}, {false, true, false}, 100);
    EXPECT_EQ(grouped[1].StartAngle, grouped[1].EndAngle) << "a grouped point has no width";
}

TEST(PieGeometry, OtherSliceGroupsBelowThreshold) {
    const std::vector<double> counts{67, 58, 32, 18, 5};
    const TOtherSlice byPercent = GroupSmallSlices(counts, poBelowPercent, 10, 180);
    EXPECT_EQ(byPercent.Grouped, (std::vector<bool>{false, false, false, false, true}));
    EXPECT_EQ(byPercent.Sum, 5);

    const TOtherSlice byValue = GroupSmallSlices(counts, poBelowValue, 32, 180);
    EXPECT_EQ(byValue.Grouped, (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(byValue.Sum, 23);

    const TOtherSlice none = GroupSmallSlices(counts, poNone, 1000, 180);
    EXPECT_EQ(none.Sum, 0);
    EXPECT_EQ(none.Grouped, std::vector<bool>(5, false));
}

TEST(PieGeometry, CircleFromPlotAndMarkRoom) {
    struct Case {
        const char* fault;
        TRect plot;
        int roomV, roomH;
        TRect expected;
        int xRadius, yRadius;
    } cases[] = {
        {"plain plot rectangle", Rect(12, 25, 388, 225), 0, 0, Rect(12, 25, 388, 225), 188, 100},
        {"odd width and height lose a pixel", Rect(10, 10, 111, 61), 0, 0, Rect(10, 10, 110, 60), 50, 25},
        {"mark room shrinks all four sides", Rect(12, 25, 388, 225), 30, 40, Rect(52, 55, 348, 195), 148, 70},
        {"tiny rectangle grows to 4", Rect(5, 5, 6, 6), 0, 0, Rect(5, 5, 9, 9), 2, 2},
        {"room larger than the plot", Rect(0, 0, 40, 40), 30, 30, Rect(30, 30, 34, 34), 2, 2},
    };
    for (const Case& c : cases) {
        const TCircle circle = CircleInPlot(c.plot, c.roomV, c.roomH, 0, 0);
        EXPECT_EQ(circle.Rect, c.expected) << c.fault;
        EXPECT_EQ(circle.XRadius, c.xRadius) << c.fault;
        EXPECT_EQ(circle.YRadius, c.yRadius) << c.fault;
    }
    const TCircle fixed = CircleInPlot(Rect(0, 0, 100, 100), 0, 0, 20, 10);
    EXPECT_EQ(fixed.Rect, Rect(30, 40, 70, 60)) << "custom radii around the centre";
    EXPECT_EQ(fixed.Width, 40);
}

TEST(PieGeometry, RimPointsTurnCounterClockwise) {
    EXPECT_EQ(EllipsePoint(100, 50, 0, 40, 20), Point(140, 50)) << "angle 0 is 3 o'clock";
    EXPECT_EQ(EllipsePoint(100, 50, std::numbers::pi / 2, 40, 20), Point(100, 30)) << "growing angles go up";
    EXPECT_EQ(EllipsePoint(100, 50, std::numbers::pi, 40, 20), Point(60, 50));
}

TEST(PieGeometry, ThreeDOrderStartsNearTwelveOClock) {
    std::vector<TPieAngle> angles(4);
    const double mids[] = {0.0, std::numbers::pi / 2, std::numbers::pi, 1.5 * std::numbers::pi};
    for (int i = 0; i < 4; ++i) angles[i].MidAngle = mids[i];
    EXPECT_EQ(SlicesByDistanceFromTop(angles, 0, 0, 3), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(SlicesByDistanceFromTop(angles, std::numbers::pi / 2, 0, 3), (std::vector<int>{0, 1, 3, 2}))
        << "rotation turns the slices before measuring";
}

TEST(PieGeometry, ExplodedSliceShrinksTheRectangle) {
    EXPECT_EQ(ShrinkForExplodedSlice(Rect(0, 0, 200, 100), 100, 50, 20, 0), Rect(10, 0, 190, 100))
        << "a slice pulled out to the right needs horizontal room";
    EXPECT_EQ(ShrinkForExplodedSlice(Rect(0, 0, 200, 100), 100, 50, 20, std::numbers::pi / 2),
              Rect(0, 5, 200, 95));
}

}  // namespace
