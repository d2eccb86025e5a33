#include <gtest/gtest.h>

#include <string>

#include "app/tally.h"

namespace {

struct TallyCase {
    const char* fault;
    std::string text;
    Tally expected;
};

TEST(Tally, CountsAnswersAfterTheLastCommaInFirstAppearanceOrder) {
    const TallyCase cases[] = {
        {"ties keep first appearance", "d,a,yes\r\nd,a,no\r\nd,a,no\r\nd,a,yes\r\nd,a,maybe\r\n",
         {{"yes", 2}, {"no", 2}, {"maybe", 1}}},
        {"larger count moves to the front", "d,a,x\r\nd,a,y\r\nd,a,y\r\n", {{"y", 2}, {"x", 1}}},
        {"labels compared exactly", "d,a,Yes\r\nd,a,yes\r\nd,a, yes\r\n", {{"Yes", 1}, {"yes", 1}, {" yes", 1}}},
        {"trailing comma is the empty answer", "d,a,\r\n", {{"", 1}}},
        {"no comma before any answer is leer", "nothing\r\n", {{"leer", 1}}},
        {"no comma repeats the line before", "d,a,no\r\nplain\r\n", {{"no", 2}}},
        {"empty file has no category", "", {}},
        {"two empty lines", "\r\n\r\n", {{"leer", 2}}},
        {"lone CR and lone LF end lines", "d,a,x\rd,a,y\nd,a,y", {{"y", 2}, {"x", 1}}},
        {"LF CR is two breaks", "d,a,x\n\rd,a,y\r\n", {{"x", 2}, {"y", 1}}},
        {"piece after the last break only when not empty", "d,a,x\r\nd,a,x", {{"x", 2}}},
        {"comma inside the answer splits it", "d,a,red, green\r\n", {{" green", 1}}},
        {"comma beyond 4096 bytes does not count", "d,a,x\r\n" + std::string(4096, 'z') + ",late\r\n",
         {{"x", 2}}},
        {"answer cut at 4096 bytes", std::string(4090, 'z') + ",abcdefgh\r\n", {{"abcde", 1}}},
    };
    for (const TallyCase& c : cases) EXPECT_EQ(CountAnswers(c.text), c.expected) << c.fault;
}

TEST(Tally, SamplesAndTheirTotals) {
    ASSERT_TRUE(SampleTally("testdeutsch"));
    EXPECT_EQ(TotalCount(*SampleTally("testdeutsch")), 181);
    EXPECT_EQ(SampleTally("testdeutsch")->front(), (TallyEntry{"sehr gut", 67}));
    ASSERT_TRUE(SampleTally("testenglish"));
    EXPECT_EQ(TotalCount(*SampleTally("testenglish")), 175);
    EXPECT_EQ(SampleTally("testenglish")->size(), 4u);
    EXPECT_FALSE(SampleTally("TestEnglish"));
}

}  // namespace
