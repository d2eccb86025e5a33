#include <gtest/gtest.h>

#include "app/answer_line.h"
#include "app/quoted_answer.h"
#include "app/tally.h"
#include "platform/text/display_text.h"
#include "tests/support/repeated_text.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::app;
using testsupport::Repeated;

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
    EXPECT_EQ(AnswerLine(AnswerTimeStamp(At(0, 0, 0)), "1.2.3.4", "yes"), "2026-12-08,1.2.3.4,yes");
    EXPECT_EQ(AnswerLine(AnswerTimeStamp(At(0, 0, 1)), "1.2.3.4", "yes"), "2026-12-08 00:00:01,1.2.3.4,yes");
    EXPECT_EQ(AnswerLine(AnswerTimeStamp(At(14, 7, 9)), "", ""), "2026-12-08 14:07:09,,");
}

// What the program writes, the tally reads back whole: answers with commas as one quoted field,
// every other answer byte for byte as before.
TEST(AnswerLine, EveryAnswerWrittenIsReadBackWhole) {
    const std::string prefix = "2026-12-08 14:07:09,1.2.3.4,";
    const struct {
        const char* fault;
        std::string answer;
        std::string written;  // after the prefix
    } cases[] = {
        {"a plain answer changes", "yes", "yes"},
        {"a comma cuts the answer", "ham, smoked", "\"ham, smoked\""},
        {"quotes inside are not doubled", "say \"hi\", ok", "\"say \"\"hi\"\", ok\""},
        {"a leading quote is taken for a quoted field", "\"quoted\"", "\"\"\"quoted\"\"\""},
        {"a quote without a comma elsewhere", "5\" wide", "5\" wide"},
        {"a lone comma", ",", "\",\""},
        {"the empty answer", "", ""},
        {"a trailing comma and quote", "a,\"", "\"a,\"\"\""},
    };
    for (const auto& c : cases) {
        const std::string line = AnswerLine(AnswerTimeStamp(At(14, 7, 9)), "1.2.3.4", c.answer);
        EXPECT_EQ(line, prefix + c.written) << c.fault;
        EXPECT_EQ(CountAnswers(line + "\r\n"), (Tally{{c.answer, 1}})) << c.fault;
    }
}

// A quoted answer must lie within the 4096 bytes of a line that are read: a longer one is cut
// between characters, and what is written is what is read.
TEST(AnswerLine, ALongQuotedAnswerIsCutBetweenCharactersToFitTheLine) {
    const struct {
        const char* fault;
        std::string answer;
    } cases[] = {
        {"UTF-8 cut inside a sequence", "a," + Repeated("\xC3\xA4", 3000)},
        {"windows-1252 bytes", "a," + Repeated("\x80", 5000)},
        {"doubled quotes at the cut", "a," + std::string(5000, '"')},
        {"the comma falls beyond the cut", std::string(5000, 'x') + ",y"},
    };
    for (const auto& c : cases) {
        const std::string line = AnswerLine(AnswerTimeStamp(At(14, 7, 9)), "1.2.3.4", c.answer);
        EXPECT_LE(line.size(), kAnswerLineBytes) << c.fault;
        const Tally read = CountAnswers(line + "\r\n");
        ASSERT_EQ(read.size(), 1u) << c.fault;
        const std::string& answer = read[0].label;
        EXPECT_GT(line.size() + 4, kAnswerLineBytes) << c.fault << ": cut shorter than needed";
        EXPECT_EQ(c.answer.compare(0, answer.size(), answer), 0) << c.fault << ": not the answer's start";
        EXPECT_EQ(IsMultiByteUtf8(answer), IsMultiByteUtf8(c.answer)) << c.fault << ": cut inside a character";
    }
}

}  // namespace
