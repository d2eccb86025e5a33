#include <gtest/gtest.h>

#include "platform/raster/arith.h"
#include "platform/text/convert.h"
#include "platform/os/exception.h"

using namespace tallyhouse::platform;

TEST(Arith, RoundingRules) {
    EXPECT_EQ(Round(0.376), 0);
    EXPECT_EQ(Round(0.5), 0);    // ties to even
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(1e30), 2147483647);  // saturates instead of overflowing
    EXPECT_EQ(Trunc(-1.9), -1);
    EXPECT_EQ(MulDiv(3, 400, 100), 12);
    EXPECT_EQ(MulDiv(3, 376, 100), 11);   // 11.28
    EXPECT_EQ(MulDiv(1, 1, 2), 1);        // halves away from zero
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(Convert, StrToIntAcceptsIntegersAndRefusesTheRest) {
    EXPECT_EQ(StrToInt("99"), 99);
    EXPECT_EQ(StrToInt("099"), 99);
    EXPECT_EQ(StrToInt("-3"), -3);
    EXPECT_EQ(StrToInt(" 7"), 7);
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "abc", "1.5", "7 ", "2147483648", "-", "0x"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' ist kein g\xFCltiger Integerwert");
        }
        EXPECT_EQ(StrToIntOr(bad, -9), -9) << bad;
    }
    EXPECT_EQ(StrToIntOr(" $10", -9), 16);
}
