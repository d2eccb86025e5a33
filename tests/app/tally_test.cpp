#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/tally.h"

using namespace tallyhouse::app;

namespace {

struct TallyCase {
    const char* fault;
    std::string text;
    Tally expected;
};

TEST(Tally, CountsAnswersAfterTheLastCommaOrQuotedInFirstAppearanceOrder) {
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
        {"an ISO stamp's blank is no separator",
         "2026-12-09 02:00:30,1.2.3.4,yes\r\n2026-12-09,1.2.3.4,no\r\n2026-12-09 23:59:59,::1,yes\r\n",
         {{"yes", 2}, {"no", 1}}},
        {"comma beyond 4096 bytes does not count", "d,a,x\r\n" + std::string(4096, 'z') + ",late\r\n",
         {{"x", 2}}},
        {"answer cut at 4096 bytes", std::string(4090, 'z') + ",abcdefgh\r\n", {{"abcde", 1}}},
        {"a quoted answer is read whole", "d,a,\"ham, smoked\"\r\n", {{"ham, smoked", 1}}},
        {"doubled quotes inside it", "d,a,\"say \"\"hi\"\", ok\"\r\nd,a,\"\"\"x\"\r\n", {{"say \"hi\", ok", 1}, {"\"x", 1}}},
        {"old lines and quoted ones in one file",
         "d,a,red, green\r\nd,a,\"red, green\"\r\nplain\r\nd,a,\"yes\"\r\n",
         {{"red, green", 2}, {" green", 1}, {"\"yes\"", 1}}},
        {"quotes around an answer that needs none are kept", "d,a,\"yes\"\r\nd,a,\"\"\r\n", {{"\"yes\"", 1}, {"\"\"", 1}}},
        {"a lone quote inside is no quoted field", "d,a,\"a,\"b\"\r\nd,a,x\"y,z\"\r\n", {{"\"b\"", 1}, {"z\"", 1}}},
        {"no comma before the opening quote", "\"a,b\"\r\nd,a;\"a,b\"\r\n", {{"b\"", 2}}},
        {"a quoted field cut off at 4096 bytes", "d,a,\"x," + std::string(4096, 'z') + "\"\r\n",
         {{std::string(4096 - 7, 'z'), 1}}},
    };
    for (const TallyCase& c : cases) {
        EXPECT_EQ(CountAnswers(c.text), c.expected) << c.fault;
        TallyCounter bytes;
        for (const char& byte : c.text) bytes.Feed(std::string_view(&byte, 1));
        EXPECT_EQ(std::move(bytes).Finish(), c.expected) << c.fault << ", fed byte by byte";
        for (size_t cut = 0; c.text.size() < 100 && cut <= c.text.size(); ++cut) {
            TallyCounter halves;
            halves.Feed(std::string_view(c.text).substr(0, cut));
            halves.Feed(std::string_view(c.text).substr(cut));
            EXPECT_EQ(std::move(halves).Finish(), c.expected) << c.fault << ", cut at " << cut;
        }
    }
}

// The stable exchange sort the order must equal: n - 1 passes, neighbours swapped only when
// the left count is smaller.
Tally ExchangeSorted(Tally tally) {
    for (size_t pass = 1; pass < tally.size(); ++pass)
        for (size_t i = 0; i + 1 < tally.size(); ++i)
            if (tally[i].count < tally[i + 1].count) std::swap(tally[i], tally[i + 1]);
    return tally;
}

TEST(Tally, OrderEqualsTheStableExchangeSortOnManyTies) {
    unsigned state = 7;
    for (int round = 0; round < 20; ++round) {
        std::string text;
        Tally appearance;
        for (int line = 0; line < 400; ++line) {
            state = state * 1103515245u + 12345u;
            const std::string answer = "a" + std::to_string((state >> 10) % (3u + static_cast<unsigned>(round) * 7u));
            text += "d,1.2.3.4," + answer + "\r\n";
            auto found = std::find_if(appearance.begin(), appearance.end(),
                                      [&](const TallyEntry& e) { return e.label == answer; });
            if (found == appearance.end())
                appearance.push_back({answer, 1});
            else
                ++found->count;
        }
        EXPECT_EQ(CountAnswers(text), ExchangeSorted(appearance)) << "round " << round;
    }
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
