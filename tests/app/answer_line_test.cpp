#include <gtest/gtest.h>

#include "app/answer_line.h"

namespace {

std::tm At(int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// The test runs in the C locale, whose own date would read 12/08/26.
TEST(AnswerLine, ThePlainLocaleWritesIsoDatesAndLeavesTheTimeOutOnlyAtExactMidnight) {
    EXPECT_EQ(AnswerLine(At(0, 0, 0), "1.2.3.4", "yes"), "2026-12-08,1.2.3.4,yes");
    EXPECT_EQ(AnswerLine(At(0, 0, 1), "1.2.3.4", "yes"), "2026-12-08 00:00:01,1.2.3.4,yes");
    EXPECT_EQ(AnswerLine(At(14, 7, 9), "", ""), "2026-12-08 14:07:09,,");
}

}  // namespace
