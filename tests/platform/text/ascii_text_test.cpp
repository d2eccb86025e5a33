#include <gtest/gtest.h>

#include "platform/text/ascii_text.h"

using namespace tallyhouse::platform;

TEST(AsciiText, CaseAndBlanksAreAsciiOnly) {
    EXPECT_EQ(UpperCase("ab\xFC"), "AB\xFC");
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_TRUE(StartsWithIgnoringCase("Content-Length: 4", "CONTENT-length:"));
    EXPECT_FALSE(StartsWithIgnoringCase("\xFC" "x", "\xDC" "x")) << "Latin-1 letters keep their case";
    EXPECT_FALSE(StartsWithIgnoringCase("GE", "GET")) << "a shorter text has no such prefix";
}
