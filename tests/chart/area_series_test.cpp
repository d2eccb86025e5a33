// Area series: stacked positions and the slope rule, then drawn bands probed by pixel.
#include <gtest/gtest.h>

#include "chart/area_geometry.h"

namespace {

TEST(AreaGeometry, StackedValues) {
    EXPECT_EQ(StackedAreaValue(maStacked, 5, 10, 0), 15);
    EXPECT_EQ(StackedAreaValue(maStacked100, 5, 15, 40), 50);
    EXPECT_FALSE(StackedAreaValue(maStacked100, 0, 0, 0).has_value()) << "no total, no percentage";
}

TEST(AreaGeometry, SteepRiseAgainstDepthSlope) {
    struct Case {
        const char* fault;
        int oldX, oldY, x, y;
        bool steep;
    } cases[] = {
        {"rising more than 45 degrees is steep", 0, 100, 10, 80, true},
        {"exactly 45 degrees is not", 0, 100, 10, 90, false},
        {"falling edges are never steep", 0, 80, 10, 100, false},
        {"a vertical edge is not tested", 5, 100, 5, 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(RisesSteeply(c.oldX, c.oldY, c.x, c.y, 1.0), c.steep) << c.fault;
}

}  // namespace
