// Bar series: thickness, placement and value range as numbers, then drawn bars probed by pixel.
#include <gtest/gtest.h>

#include "chart/bar_geometry.h"

namespace {

TEST(BarGeometry, WidthIsShareOfSlotMadeEven) {
    struct Case {
        const char* fault;
        int slot, percent, groups, expected;
    } cases[] = {
        {"five points on 300 pixels: 35 becomes 36", 50, 70, 1, 36},
        {"an even share stays", 60, 70, 1, 42},
        {"one pixel becomes two", 2, 50, 1, 2},
        {"zero stays zero", 0, 70, 1, 0},
        {"ties round to even before the split", 25, 70, 1, 18},  // 17.5 -> 18
        {"side groups split the share", 50, 70, 2, 18},          // 35 div 2 = 17 -> 18
        {"full share", 50, 100, 1, 50},
    };
    for (const Case& c : cases) EXPECT_EQ(BarWidthFor(c.slot, c.percent, c.groups), c.expected) << c.fault;
}

TEST(BarGeometry, EdgeOffsetPerMultiBar) {
    struct Case {
        const char* fault;
        TMultiBar multi;
        bool vertical;
        int order, groups, width, offsetPercent, expected;
    } cases[] = {
        {"a single side series centres its bar", mbSide, true, 1, 1, 36, 0, -18},
        {"first of two side series lies left", mbSide, true, 1, 2, 18, 0, -18},
        {"second of two side series lies right", mbSide, true, 2, 2, 18, 0, 0},
        {"horizontal: first of two lies below (larger y)", mbSide, false, 1, 2, 18, 0, 0},
        {"horizontal: second of two lies above", mbSide, false, 2, 2, 18, 0, -18},
        {"horizontal single series centred", mbSide, false, 1, 1, 36, 0, -18},
        {"stacked bars centre on the category", mbStacked, true, 1, 1, 36, 0, -18},
        {"none centres with truncation", mbNone, true, 1, 1, 35, 0, -17},
        {"offset percent shifts by share of width", mbNone, true, 1, 1, 36, 50, 0},
        {"negative offset shifts back", mbStacked100, true, 1, 1, 36, -100, -54},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarEdgeOffset(c.multi, c.vertical, c.order, c.groups, c.width, c.offsetPercent), c.expected)
            << c.fault;
}

TEST(BarGeometry, ValueRangeIncludesOriginAndStacks) {
    struct Case {
        const char* fault;
        TMultiBar multi;
        double lowest, highest, stackedTop;
        bool useOrigin;
        double origin, expectLow, expectHigh;
    } cases[] = {
        {"positive counts start at the origin", mbSide, 6, 67, 0, true, 0, 0, 67},
        {"equal counts run from 0 to the count", mbSide, 5, 5, 0, true, 0, 0, 5},
        {"negative values reach below the origin", mbSide, -4, 7, 0, true, 0, -4, 7},
        {"without origin the data range alone", mbSide, 6, 67, 0, false, 0, 6, 67},
        {"stacked top above the highest value", mbStacked, 1, 10, 25, true, 0, 0, 25},
        {"percent stacking is always 0..100", mbStacked100, 3, 900, 0, true, 0, 0, 100},
        {"origin above the data raises the top", mbSide, 2, 5, 0, true, 10, 2, 10},
    };
    for (const Case& c : cases) {
        const TBarValueRange r = BarValueRange(c.multi, c.lowest, c.highest, c.stackedTop, c.useOrigin, c.origin);
        EXPECT_EQ(r.Lowest, c.expectLow) << c.fault;
        EXPECT_EQ(r.Highest, c.expectHigh) << c.fault;
    }
}

}  // namespace
