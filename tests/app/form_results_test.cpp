// What a poll form of today sends, recorded and counted right: answers with commas, checkbox
// groups, answers shown in a listed order, and the tally as JSON and CSV.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "platform/text/display_text.h"
#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"
#include "tests/support/repeated_text.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::app;
using namespace testsupport;

namespace {

CgiResult Get(const ScratchDir& dir, const std::string& query) { return RunProgram(dir.Program(), GetRequest(query)); }

std::string Json(const ScratchDir& dir, const std::string& poll, const std::string& more = "") {
    return Get(dir, "command=view&format=json&filename=" + poll + more).body;
}

TEST(FormResults, EveryAnswerCountsAsTheFormSentIt) {
    const struct {
        const char* fault;
        std::string before;  // q.pol before the request
        std::string fields;
        std::string answers;  // the JSON answers after it
    } cases[] = {
        {"a comma cuts the answer", "", "q.pol=ham%2C+smoked", R"({"answer":"ham, smoked","count":1})"},
        {"old lines lose the tally they had", "d,a,red, green\r\nd,a,alpha\r\nbeta\r\n", "q.pol=red%2C+green",
         R"({"answer":"alpha","count":2},{"answer":" green","count":1},{"answer":"red, green","count":1})"},
        {"a checkbox's second value counts as the first", "", "q.pol=alpha&q.pol=beta",
         R"({"answer":"alpha","count":1},{"answer":"beta","count":1})"},
        {"a further value forges a stamp and address", "", "q.pol=yes&q.pol=2026-11-12+12:02:12,203.0.113.2,no",
         R"({"answer":"yes","count":1},{"answer":"2026-11-12 12:02:12,203.0.113.2,no","count":1})"},
        {"one value fifty times is fifty votes", "", Repeated("q.pol=yes&", 50), R"({"answer":"yes","count":1})"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        dir.Write("q.pol", c.before);
        Get(dir, "command=add&" + c.fields);
        const std::string added = dir.Read("q.pol").substr(c.before.size());
        EXPECT_TRUE(std::regex_match(added, std::regex("([^,\r\n]+,127\\.0\\.0\\.1,[^\r\n]*\r\n)+"))) << c.fault << ":\n" << added;
        const std::string json = Json(dir, "q.pol");
        EXPECT_EQ(json.substr(json.find("\"answers\":")), "\"answers\":[" + c.answers + "]}") << c.fault;
    }
}

TEST(FormResults, ListedAnswersKeepTheirOrderZerosAndPlaces) {
    ScratchDir dir;
    dir.Write("q.pol", "d,a,good\r\nd,a,poor\r\nd,a,good\r\nd,a,very good\r\nd,a,meh\r\n");
    EXPECT_EQ(Json(dir, "q.pol", "&answers=very+good|good|average|poor"),
              R"({"poll":"q.pol","total":5,"answers":[{"answer":"very good","count":1},{"answer":"good","count":2},)"
              R"({"answer":"average","count":0},{"answer":"poor","count":1}]})")
        << "an unlisted answer is left out but counted in the total";
    EXPECT_EQ(Json(dir, "q.pol", "&answers=a%5C|b|c%5C%5Cd|"),
              R"({"poll":"q.pol","total":5,"answers":[{"answer":"a|b","count":0},{"answer":"c\\d","count":0},)"
              R"({"answer":"","count":0}]})")
        << "escaped separators and backslashes, and the empty answer";
    dir.Write("latin1.pol", "d,a,gr\xF6\xDF" "er\r\nd,a,gr\xC3\xB6\xC3\x9F" "er\r\n");
    EXPECT_EQ(Json(dir, "latin1.pol", "&answers=gr%C3%B6%C3%9Fer"),
              "{\"poll\":\"latin1.pol\",\"total\":2,\"answers\":[{\"answer\":\"gr\xC3\xB6\xC3\x9F" "er\",\"count\":2}]}")
        << "a listed answer counts both spellings of its text";

    // The first bar keeps the colour of its place, whichever answer has more votes.
    dir.Write("more_good.pol", "d,a,good\r\nd,a,good\r\nd,a,poor\r\n");
    dir.Write("more_poor.pol", "d,a,good\r\nd,a,poor\r\nd,a,poor\r\n");
    for (const char* poll : {"more_good.pol", "more_poor.pol"}) {
        const DecodedGif gif =
            DecodeGif(Get(dir, std::string("command=view&color=99&marks=no&legend=no&answers=good|poor&filename=") + poll).body);
        ASSERT_TRUE(gif.ok) << poll;
        const std::vector<std::uint32_t>& rgb = gif.frames.at(0).rgb;
        uint32_t first = 0;
        for (int y = gif.height - 1; y >= 0 && first == 0; --y)
            for (int x = 0; x < gif.width && first == 0; ++x) {
                const std::uint32_t pixel = rgb[static_cast<size_t>(y * gif.width + x)];
                if (pixel == 0xFF0000 || pixel == 0x008000) first = pixel;
            }
        EXPECT_EQ(first, 0xFF0000u) << poll << ": the first listed answer is the first colour";
    }
}

TEST(FormResults, CsvIsRfc4180InUtf8) {
    ScratchDir dir;
    dir.Write("q,1.pol", "d,a,\"ham, smoked\"\r\nd,a,say \"hi\"\r\nd,a,5 \x80\r\n");
    const CgiResult csv = Get(dir, "command=view&format=csv&filename=q%2C1.pol");
    EXPECT_EQ(csv.header.substr(csv.header.find("content-type:")), "content-type:text/csv; charset=utf-8");
    EXPECT_EQ(csv.body,
              "poll,total,answer,count\r\n\"q,1.pol\",3,\"ham, smoked\",1\r\n\"q,1.pol\",3,\"say \"\"hi\"\"\",1\r\n"
              "\"q,1.pol\",3,5 \xE2\x82\xAC,1\r\n");
    const CgiResult json = Get(dir, "command=view&format=json&filename=testenglish");
    EXPECT_EQ(json.header.substr(json.header.find("content-type:")), "content-type:application/json; charset=utf-8");
    EXPECT_EQ(json.body, R"({"poll":"testenglish","total":175,"answers":[{"answer":"very good","count":67},)"
                         R"({"answer":"good","count":58},{"answer":"okay","count":32},{"answer":"poor","count":18}]})");
}

TEST(FormResults, ValuesThatMakeNoSenseGetTheMessagePage) {
    ScratchDir dir;
    dir.Write("q.pol", "d,a,yes\r\n");
    const struct {
        std::string parameters;
        std::string_view message;
    } cases[] = {
        {"&format=xml", kFormatMessage},
        {"&format=JSON", kFormatMessage},
        {"&format=json&format=csv", kFormatMessage},
        {"&answers=", kAnswersMessage},
        {"&answers=yes|no|yes", kAnswersMessage},
        {"&answers=gr%F6%DFer|gr%C3%B6%C3%9Fer", kAnswersMessage},
        {"&answers=yes%5C", kAnswersMessage},
        {"&answers=yes%5Cno", kAnswersMessage},
        {"&answers=a&answers=b", kAnswersMessage},
        {"&answers=" + Repeated("a|", 1000) + "b", kAnswersMessage},
    };
    for (const auto& c : cases) {
        for (const char* format : {"", "&format=json"}) {
            const std::string query = "command=view&filename=q.pol" + c.parameters + format;
            const CgiResult result = Get(dir, query);
            EXPECT_EQ(result.body, SentMessagePage(c.message)) << query;
        }
    }
    std::string thousand = "0";
    for (int i = 1; i < 1000; ++i) thousand += "|" + std::to_string(i);
    const std::string csv = Get(dir, "command=view&filename=q.pol&format=csv&answers=" + thousand).body;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1001) << "a thousand answers are shown";
    EXPECT_NE(Get(dir, "command=view&filename=q.pol&format=gif").header.find("content-type:image/gif"), std::string::npos);
}

TEST(FormResults, BytesThatAreNoUtf8AreWrittenWholeAndReadAsWindows1252) {
    ScratchDir dir;
    Get(dir, "command=add&q.pol=%C3%28&q.pol=%C0%AF&q.pol=%ED%A0%80&q.pol=a%00b%01c&q.pol=%F4%90%80%80");
    const std::string text = dir.Read("q.pol");
    EXPECT_TRUE(std::regex_match(text, std::regex("([^,\r\n]+,127\\.0\\.0\\.1,[^\r\n]+\r\n){5}"))) << text;
    const std::string json = Json(dir, "q.pol");
    EXPECT_TRUE(IsMultiByteUtf8(json)) << json;
    for (const char* shown : {"\xC3\x83(", "\xC3\x80\xC2\xAF", "\xC3\xAD\xC2\xA0\xE2\x82\xAC", "a b c", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"})
        EXPECT_NE(json.find(std::string("{\"answer\":\"") + shown + "\",\"count\":1}"), std::string::npos) << shown << "\n" << json;
}

}  // namespace
