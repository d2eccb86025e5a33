// Answers sent the way a hostile visitor would send them: one request may record each poll field
// once, each distinct value on an answer line of its own with the request's own time stamp and
// address, and stays within the limits of one request.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/repeated_text.h"

using namespace testsupport;

namespace {

// Time stamp and address of an answer line, whatever the locale's date format.
const std::string kLineStart = "[^,\r\n]+,127\\.0\\.0\\.1,";

// "f0.pol=1&f1.pol=1&..." with count names from first on.
std::string PollFields(int first, int count) {
    std::string fields;
    for (int i = first; i < first + count; ++i) fields += "f" + std::to_string(i) + ".pol=1&";
    return fields;
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(HostileAdd, EachPollFieldIsWrittenOnceAndNoValueStartsALine) {
    struct Case {
        const char* fault;
        std::string fields;
        std::string lines;  // pattern of q.pol after the request
    } const cases[] = {
        {"a name repeated with other fields between is written once", "q.pol=a&x=1&q.pol=b&x=2&q.pol=c",
         kLineStart + "a\r\n" + kLineStart + "b\r\n" + kLineStart + "c\r\n"},
        {"CR LF in a value forges a line", "q.pol=yes%0d%0a01/01/99,6.6.6.6,no",
         kLineStart + "\"yes  01/01/99,6\\.6\\.6\\.6,no\"\r\n"},
        {"a lone LF", "q.pol=a%0a01/01/99,6.6.6.6,b", kLineStart + "\"a 01/01/99,6\\.6\\.6\\.6,b\"\r\n"},
        {"a lone CR", "q.pol=a%0d01/01/99,6.6.6.6,b", kLineStart + "\"a 01/01/99,6\\.6\\.6\\.6,b\"\r\n"},
        {"a NUL byte", "q.pol=a%00b", kLineStart + "a b\r\n"},
        {"a checkbox value forges a stamp and address", "q.pol=yes&q.pol=2026-11-12+12:02:12,203.0.113.2,no",
         kLineStart + "yes\r\n" + kLineStart + "\"2026-11-12 12:02:12,203\\.0\\.113\\.2,no\"\r\n"},
        {"a checkbox value's own line break", "q.pol=a&q.pol=b%0d%0a01/01/99,6.6.6.6,c",
         kLineStart + "a\r\n" + kLineStart + "\"b  01/01/99,6\\.6\\.6\\.6,c\"\r\n"},
        {"one value repeated is one vote", "q.pol=yes&q.pol=yes&x=1&q.pol=yes", kLineStart + "yes\r\n"},
        {"values that become alike once blanked are one vote", "q.pol=a%0d&q.pol=a%0a", kLineStart + "a \r\n"},
        {"another spelling of the same field is that field", "q.pol=1&+q.pol=2&q.pol+=3",
         kLineStart + "1\r\n" + kLineStart + "2\r\n" + kLineStart + "3\r\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        RunProgram(dir.Program(), GetRequest("command=add&" + c.fields));
        const std::string text = dir.Read("q.pol");
        EXPECT_TRUE(std::regex_match(text, std::regex(c.lines))) << c.fault << ":\n" << text;
        EXPECT_FALSE(dir.Exists(" q.pol") || dir.Exists("q.pol ")) << c.fault;
    }
}

TEST(HostileAdd, ARequestBeyondItsLimitsRecordsNothing) {
    struct Case {
        const char* fault;
        CgiRequest request;
        int existingFiles;  // f0.pol .. made beforehand
        const char* logged;
    } const cases[] = {
        {"a 10 KB post repeating one poll name", PostRequest("command=add&" + Repeated("q.pol=yes&a=1&", 700)), 0,
         "more than 50 values for q.pol"},
        {"more values than a field may have", GetRequest("command=add&ok.pol=1&" + Repeated("q.pol=a&", 51)), 0,
         "more than 50 values for q.pol"},
        {"more poll fields than a request may have", GetRequest("command=add&" + PollFields(0, 101)), 101,
         "more than 100 poll fields in one request"},
        {"10,000 poll fields", GetRequest("command=add&" + PollFields(0, 10000)), 0,
         "more than 100 poll fields in one request"},
        {"more new files than a request may create", GetRequest("command=add&" + PollFields(0, 21)), 0,
         "more than 20 new poll files in one request"},
        {"new files beside existing ones", GetRequest("command=add&" + PollFields(0, 100)), 79,
         "more than 20 new poll files in one request"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        for (int i = 0; i < c.existingFiles; ++i) dir.Write("f" + std::to_string(i) + ".pol", "");
        const CgiResult result = RunProgram(dir.Program(), c.request);
        EXPECT_EQ(result.header.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << c.fault << ": no success reported";
        EXPECT_NE(result.body.find(c.logged), std::string::npos) << c.fault << ": the page says why";
        int pollFiles = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            if (entry.path().extension() != ".pol") continue;
            ++pollFiles;
            EXPECT_EQ(std::filesystem::file_size(entry.path()), 0u) << c.fault << ": " << entry.path();
        }
        EXPECT_EQ(pollFiles, c.existingFiles) << c.fault;
        const std::string log = dir.Read("Log/tallyhouse.Log");
        EXPECT_EQ(CountLines(log), 1) << c.fault << ":\n" << log;
        EXPECT_NE(log.find(std::string("Answers refused: ") + c.logged), std::string::npos) << c.fault << ":\n" << log;
    }
}

TEST(HostileAdd, ARequestAtItsLimitsIsRecorded) {
    ScratchDir dir;
    for (int i = 0; i < 80; ++i) dir.Write("f" + std::to_string(i) + ".pol", "");
    std::string values;
    for (int i = 0; i < 50; ++i) values += "f99.pol=a" + std::to_string(i) + "&";
    const CgiResult result = RunProgram(dir.Program(), GetRequest("command=add&" + PollFields(0, 99) + values));
    EXPECT_NE(result.body.find("Data saved correctly !"), std::string::npos) << result.output;
    for (int i = 0; i < 99; ++i) EXPECT_EQ(CountLines(dir.Read("f" + std::to_string(i) + ".pol")), 1) << i;
    EXPECT_EQ(CountLines(dir.Read("f99.pol")), 50);
}

}  // namespace
