// Projected points of the oblique and rotated views, against worked numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chart/canvas/projection.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

TProjection3D Begun(const TView3DOptions& options, bool is3D, TRect plot, int depth) {
    TProjection3D p;
    p.Begin(&options, is3D);
    p.SetViewCentre(&options, depth, plot);
    return p;
}

TView3DOptions Stored(bool orthogonal) {
    TView3DOptions o;
    o.Elevation = 315;
    o.Rotation = 360;
    o.HorizOffset = 1;
    o.Orthogonal = orthogonal;
    return o;
}

}  // namespace

TEST(Canvas3DProjection, DefaultsOfTheViewOptions) {
    TView3DOptions o;
    EXPECT_EQ(o.Elevation, 345);
    EXPECT_EQ(o.Rotation, 345);
    EXPECT_EQ(o.Tilt, 0);
    EXPECT_EQ(o.Zoom, 100);
    EXPECT_EQ(o.HorizOffset, 0);
    EXPECT_EQ(o.VertOffset, 0);
    EXPECT_TRUE(o.Orthogonal);
}

TEST(Canvas3DProjection, CentreTruncatesTowardZeroAndAddsOffsets) {
    TView3DOptions o;
    o.HorizOffset = 1;
    o.VertOffset = -2;
    TProjection3D p = Begun(o, true, Rect(-7, -5, 0, 2), 31);
    EXPECT_EQ(p.ViewCenterX, -3);  // -7 / 2 truncated, not floored to -4
    EXPECT_EQ(p.ViewCenterY, -1);
    EXPECT_EQ(p.ViewCenterZ, 15);
    EXPECT_EQ(p.ScreenCenterX, -2);
    EXPECT_EQ(p.ScreenCenterY, -3);
    p.SetViewCentre(nullptr, 10, Rect(0, 0, 10, 10));
    EXPECT_EQ(p.ScreenCenterX, 5);  // no options: no offsets
}

TEST(Canvas3DProjection, FlatViewReturnsPointsUnchangedWhateverTheZoom) {
    TView3DOptions o;
    o.Zoom = 50;
    TProjection3D p = Begun(o, false, Rect(0, 0, 100, 100), 20);
    EXPECT_EQ(p.ViewScale, 1.0);
    EXPECT_EQ(p.Project(13, 17, 40), Point(13, 17));
}

TEST(Canvas3DProjection, ObliqueViewShiftsDepthRightAndUp) {
    struct Case { const char* fault; int zoom; int x, y, z; TPoint expected; };
    // Plot (0, 0, 200, 100): centre (100, 50), screen centre (101, 50) with HorizOffset 1.
    const Case cases[] = {
        {"HorizOffset not applied", 100, 100, 50, 0, {101, 50}},
        {"depth moves right and up by the same amount", 100, 10, 20, 5, {16, 15}},
        {"z wrongly centred", 100, 100, 50, 30, {131, 20}},
        {"zoom not around the centre", 50, 0, 0, 0, {51, 25}},
        {"ties not rounded to even", 50, 101, 50, 0, {101, 50}},   // 0.5 -> 0
        {"ties not rounded to even (odd)", 50, 103, 50, 0, {103, 50}},  // 1.5 -> 2
        {"zoom 0 does not collapse onto the centre", 0, 7, 300, 12, {101, 50}},
    };
    for (const Case& c : cases) {
        TView3DOptions o = Stored(true);
        o.Zoom = c.zoom;
        TProjection3D p = Begun(o, true, Rect(0, 0, 200, 100), 40);
        EXPECT_EQ(p.Project(c.x, c.y, c.z), c.expected) << c.fault;
    }
}

TEST(Canvas3DProjection, RotatedCoefficientsForTheStoredChart) {
    TProjection3D p = Begun(Stored(false), true, Rect(0, 0, 200, 100), 40);
    EXPECT_NEAR(p.Cxx, 1.0, 1e-12);
    EXPECT_NEAR(p.Cxy, 0.0, 1e-12);
    EXPECT_NEAR(p.Cxz, 0.0, 1e-12);
    EXPECT_NEAR(p.Cyx, 0.0, 1e-12);
    EXPECT_NEAR(p.Cyy, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(p.Cyz, -std::sqrt(0.5), 1e-12);
}

TEST(Canvas3DProjection, RotatedViewExamples) {
    struct Case { const char* fault; int rotation, elevation; int x, y, z; TPoint expected; };
    // Plot (0, 0, 200, 100), depth 40: centre (100, 50, 20), screen centre (101, 50).
    const Case cases[] = {
        {"360/315: x not kept", 360, 315, 150, 50, 20, {151, 50}},
        {"360/315: height not shrunk to 71 %", 360, 315, 100, 100, 20, {101, 85}},  // 35.36
        {"360/315: back not above front", 360, 315, 100, 50, 40, {101, 36}},        // -14.14
        {"360/315: front not below centre", 360, 315, 100, 50, 0, {101, 64}},
        {"270: depth not on x", 270, 315, 100, 50, 40, {121, 50}},
        {"270: x not on y", 270, 315, 110, 50, 20, {101, 57}},  // -sE*10 = 7.07
        {"360/360: depth not pointing at the viewer", 360, 360, 120, 70, 0, {121, 70}},
        {"360/360: back differs from front", 360, 360, 120, 70, 40, {121, 70}},
    };
    for (const Case& c : cases) {
        TView3DOptions o = Stored(false);
        o.Rotation = c.rotation;
        o.Elevation = c.elevation;
        TProjection3D p = Begun(o, true, Rect(0, 0, 200, 100), 40);
        EXPECT_EQ(p.Project(c.x, c.y, c.z), c.expected) << c.fault;
    }
}

TEST(Canvas3DProjection, FarPointsSaturateInsteadOfOverflowing) {
    TView3DOptions o = Stored(true);
    o.Zoom = 100000;
    TProjection3D p = Begun(o, true, Rect(0, 0, 200, 100), 40);
    const int big = std::numeric_limits<int>::max();
    EXPECT_EQ(p.Project(big, -big, big), Point(big, std::numeric_limits<int>::min()));
    o.Orthogonal = false;
    p = Begun(o, true, Rect(0, 0, 200, 100), 40);
    EXPECT_EQ(p.Project(-big, big, 0).X, std::numeric_limits<int>::min());
}

TEST(Canvas3DProjection, UnprojectInvertsTheObliqueView) {
    TView3DOptions o = Stored(true);
    TProjection3D p = Begun(o, true, Rect(0, 0, 200, 100), 40);
    for (int z : {0, 7, 40}) {
        TPoint s = p.Project(30, 60, z);
        p.Unproject(s.X, s.Y, z);
        EXPECT_EQ(s, Point(30, 60)) << "depth " << z;
    }
    o.Orthogonal = false;
    p = Begun(o, true, Rect(0, 0, 200, 100), 40);
    int x = 5, y = 6;
    p.Unproject(x, y, 3);
    EXPECT_EQ(Point(x, y), Point(5, 6)) << "rotated view must leave the point alone";
}

TEST(Canvas3DProjection, SuspendAndResumeRestoreTheThreeDFlag) {
    TProjection3D p = Begun(Stored(true), true, Rect(0, 0, 200, 100), 40);
    p.Suspend();
    EXPECT_FALSE(p.Enabled3D);
    EXPECT_EQ(p.Project(10, 20, 30), Point(10, 20));
    p.Resume();
    EXPECT_TRUE(p.Enabled3D);
    EXPECT_EQ(p.Project(10, 20, 30), Point(41, -10));
}
