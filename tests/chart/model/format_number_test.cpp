// FormatNumber patterns and the default palette.
#include <gtest/gtest.h>

#include "chart/model/format_number.h"
#include "chart/model/palette.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

TEST(FormatNumber, DefaultValueAndPercentFormats) {
    struct Case {
        const char* fault;
        const char* format;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"thousands separator missing", "#,##0.###", 1234.5, "1,234.5"},
        {"whole numbers shown with a decimal point", "#,##0.###", 6, "6"},
        {"whole numbers shown with a decimal point", "#,##0.###", 3.0, "3"},
        {"zero lost its mandatory digit", "#,##0.###", 0, "0"},
        {"millions grouped wrongly", "#,##0.###", 1234567.25, "1,234,567.25"},
        {"rounding is not half away from zero", "#,##0.###", 2.0005, "2.001"},
        {"negative sign lost", "#,##0.###", -1234.5, "-1,234.5"},
        {"negative zero after rounding", "#,##0.###", -0.0001, "0"},
        {"percent sign scales or blank dropped", "##0.## %", 50, "50 %"},
        {"tiny percentage not rounded away", "##0.## %", 0.004, "0 %"},
        {"percentage decimals", "##0.## %", 67.0 * 100 / 175, "38.29 %"},
        {"percentage of 58 of 181", "##0.## %", 58.0 * 100 / 181, "32.04 %"},
        {"carry into a new digit", "##0.## %", 99.999, "100 %"},
        {"grouping without separator in the pattern", "0.00", 1234.5, "1234.50"},
        {"mandatory decimals trimmed", "0.00", 0.5, "0.50"},
        {"no decimals in the pattern", "#,##0", 2.5, "3"},
        {"1.005 is 1.00499999999999989... but rounds from 15 digits", "0.00", 1.005, "1.01"},
        {"digits past the 15th are zeros", "#,##0", 123456789012345678.0, "123,456,789,012,346,000"},
        {"a value far below the decimals", "0.###", 1e-300, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.format, c.value), c.expected) << c.fault;
}

TEST(Palette, ColoursByIndexWrapAtSixteen) {
    struct Case {
        int index;
        TColor expected;
    };
    const Case cases[] = {{0, 0x0000FF}, {1, 0x008000}, {2, 0x00FFFF}, {3, 0xFF0000}, {4, 0xFFFFFF},
                          {9, 0x000080}, {10, 0x00FF00}, {13, 0xC0C0C0}, {15, 0x000000}, {16, 0x0000FF},
                          {20, 0xFFFFFF}, {-1, 0x000000}};
    for (const Case& c : cases) EXPECT_EQ(PaletteColor(c.index), c.expected) << "index " << c.index;
}
