// Answers and titles from a UTF-8 page and from an ISO-8859-1 page chart alike: the built program
// draws the same characters, decoded with giflib, whichever bytes the browser sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

using namespace testsupport;

namespace {

struct Charted {
    std::string poll;   // the answers' bytes, one line each
    std::string query;  // view parameters after the file name
};

struct TextCase {
    const char* fault;
    Charted a, b;
    bool same;
};

class ChartText : public ::testing::Test {
protected:
    std::vector<std::uint32_t> Pixels(const Charted& chart) {
        const std::string name = "p" + std::to_string(++polls_) + ".pol";
        std::string lines;
        for (std::size_t start = 0; start < chart.poll.size();) {
            const std::size_t end = std::min(chart.poll.find('|', start), chart.poll.size());
            lines += "2026-12-09 10:00:00,127.0.0.1," + chart.poll.substr(start, end - start) + "\r\n";
            start = end + 1;
        }
        dir_.Write(name, lines);
        const CgiResult result = RunProgram(dir_.Program(), GetRequest("command=view&filename=" + name + chart.query));
        const DecodedGif gif = DecodeGif(result.body);
        EXPECT_TRUE(gif.ok) << chart.query << ": " << result.header;
        return gif.ok ? gif.frames.at(0).rgb : std::vector<std::uint32_t>();
    }

    ScratchDir dir_;
    int polls_ = 0;
};

TEST_F(ChartText, UnicodeAndLatin1PagesChartTheSameCharacters) {
    const std::string utf8 = "gr\xC3\xB6\xC3\x9Ftenteils gut", latin1 = "gr\xF6\xDFtenteils gut";
    const std::string mojibake = "gr\xC3\x83\xC2\xB6\xC3\x83\xC5\xB8tenteils gut";
    const TextCase cases[] = {
        {"utf-8 answer drawn as mojibake", {utf8 + "|ja", ""}, {latin1 + "|ja", ""}, true},
        {"utf-8 answer in a pie's legend", {utf8 + "|ja", "&style=3&3D=yes"}, {latin1 + "|ja", "&style=3&3D=yes"}, true},
        {"utf-8 marks as values", {utf8 + "|" + utf8, "&marksstyle=value&style=1"},
         {latin1 + "|" + latin1, "&marksstyle=value&style=1"}, true},
        {"utf-8 drawn like its mojibake", {utf8, ""}, {mojibake, ""}, false},
        {"utf-8 title drawn byte by byte", {"ja", "&number=Stimmen%20f%C3%BCr"}, {"ja", "&number=Stimmen%20f%FCr"}, true},
        {"windows-1252 euro drawn as a box", {"5 \x80", ""}, {"5 \xE2\x82\xAC", ""}, true},
        {"euro drawn as the box", {"5 \x80", ""}, {"5 \xE4\xB8\xAD", ""}, false},
        {"check mark from no font", {"\xE2\x9C\x93", ""}, {"\xE4\xB8\xAD", ""}, false},
    };
    for (const TextCase& c : cases) {
        const std::vector<std::uint32_t> a = Pixels(c.a), b = Pixels(c.b);
        ASSERT_FALSE(a.empty()) << c.fault;
        EXPECT_EQ(a == b, c.same) << c.fault;
    }
}

TEST_F(ChartText, BrokenBytesAndControlsStillChart) {
    const Charted charts[] = {
        {"\xC3|\xED\xA0\x80|\xC0\xAF|\xF4\x90\x80\x80|\x01\x1F\x7F|\x81\x8D", "&marksstyle=value"},
        {"ja", "&number=%00%01%C3%FF%0D%0A%ED%A0%80"},
        {"a\xC3\xB6\r\xE9", "&style=3&3D=yes"},
    };
    for (const Charted& chart : charts) EXPECT_FALSE(Pixels(chart).empty()) << chart.query;
}

}  // namespace
