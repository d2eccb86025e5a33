// The built server-extension library loaded the way a web server loads it: the entry points,
// whole requests through the poll application, and many server threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"
#include "tests/support/isapi_host.h"
#include "tests/support/truncation.h"

using namespace tallyhouse::engine;
using namespace testsupport;

namespace {

const std::string kStatusAndType = "HTTP/1.1 200 OK\r\ncontent-type:text/html";
const std::string kStamp = R"(\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d)?)";

IsapiCall Get(const std::string& query) {
    IsapiCall call;
    call.query = query;
    return call;
}

IsapiCall Post(const std::string& body) {
    IsapiCall call;
    call.method = "POST";
    call.contentType = "application/x-www-form-urlencoded";
    call.body = body;
    return call;
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// One library copy for the whole suite, as a server keeps one loaded: every test uses poll
// files of its own.
class IsapiLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDir();
        library_ = new IsapiLibrary(dir_->Path());
        HSE_VERSION_INFO version{};
        ASSERT_TRUE(library_->getExtensionVersion(&version));
    }
    static void TearDownTestSuite() {
        delete library_;
        delete dir_;
    }
    static ScratchDir* dir_;
    static IsapiLibrary* library_;
};

ScratchDir* IsapiLibraryTest::dir_ = nullptr;
IsapiLibrary* IsapiLibraryTest::library_ = nullptr;

TEST_F(IsapiLibraryTest, EntryPointsAnswerWhatAServerAsksWhenLoading) {
    HSE_VERSION_INFO version{};
    EXPECT_EQ(library_->getExtensionVersion(&version), 1);
    EXPECT_EQ(version.dwExtensionVersion, 0x00020000u);
    EXPECT_STREQ(version.lpszExtensionDesc, "GATEWRIGHT 4.0.1");

    HTTP_FILTER_VERSION filter{};
    filter.dwServerFilterVersion = 0x00050000;
    filter.dwFlags = 0xFFFF;
    EXPECT_EQ(library_->getFilterVersion(&filter), 1);
    EXPECT_EQ(filter.dwFilterVersion, 0x00020000u);
    EXPECT_EQ(filter.dwFlags, 0u) << "the filter asks for no notifications";

    EXPECT_EQ(library_->terminateExtension(HSE_TERM_ADVISORY_UNLOAD), 0) << "the library asks to stay loaded";
    EXPECT_EQ(library_->Call(Get("")).status, HSE_STATUS_SUCCESS) << "still serving after TerminateExtension";
}

TEST_F(IsapiLibraryTest, RequestWithoutCommandGetsTheHelpPage) {
    const IsapiAnswer answer = library_->Call(Get(""));
    EXPECT_EQ(answer.status, HSE_STATUS_SUCCESS);
    EXPECT_EQ(answer.header, kStatusAndType);
    EXPECT_EQ(answer.body.rfind("<", 0), 0u);
    EXPECT_NE(answer.body.find("Version 1.00s - 05/29/1999"), std::string::npos) << "the version tag is filled in";
    EXPECT_EQ(answer.supportCalls, 0);
}

TEST_F(IsapiLibraryTest, AddRecordsTheAnswerAndSendsTheBrowserOn) {
    const IsapiAnswer answer = library_->Call(Get("command=add&backurl=%2Fpolls%2Fthanks.html&add1.pol=yes"));
    EXPECT_EQ(answer.status, HSE_STATUS_SUCCESS);
    EXPECT_EQ(answer.header, kStatusAndType);
    EXPECT_NE(answer.body.find("<meta http-equiv=\"REFRESH\" content=\"0;URL=/polls/thanks.html\">"),
              std::string::npos)
        << answer.body;
    EXPECT_TRUE(std::regex_match(dir_->Read("add1.pol"), std::regex(kStamp + ",127\\.0\\.0\\.1,yes\r\n")))
        << "the poll file lies beside the library: " << dir_->Read("add1.pol");
}

TEST_F(IsapiLibraryTest, ViewAnswersTheChartGifThatTheCgiProgramSends) {
    dir_->Write("view1.pol", "01/02/03 10:00:00,127.0.0.1,yes\r\n01/02/03 10:00:01,127.0.0.1,no\r\n"
                             "01/02/03 10:00:02,127.0.0.1,yes\r\n");
    for (const std::string query : {"command=view", "command=view&filename=view1.pol&style=3&3D=1&width=300"}) {
        const IsapiAnswer answer = library_->Call(Get(query));
        EXPECT_EQ(answer.status, HSE_STATUS_SUCCESS) << query;
        EXPECT_TRUE(std::regex_match(answer.header, std::regex("HTTP/1\\.1 200 OK\r\nETag:\"[0-9a-f]{32}\"\r\ncontent-type:image/gif")))
            << query << ": " << answer.header;
        const DecodedGif gif = DecodeGif(answer.body);
        EXPECT_TRUE(gif.ok) << query << ": " << gif.error;
        const CgiResult cgi = RunProgram(dir_->Program(), GetRequest(query));
        EXPECT_TRUE(answer.body == cgi.body) << query << ": the library draws the same chart as the program";
    }
}

TEST_F(IsapiLibraryTest, ARevalidatedChartIsAnswered304) {
    const IsapiAnswer first = library_->Call(Get("command=view&style=2"));
    const size_t at = first.header.find("ETag:");
    ASSERT_NE(at, std::string::npos) << first.header;
    const std::string tag = first.header.substr(at + 5, first.header.find("\r\n", at) - at - 5);
    IsapiCall again = Get("command=view&style=2");
    again.variables["HTTP_IF_NONE_MATCH"] = tag;
    EXPECT_EQ(library_->Call(again).output, "HTTP/1.1 304 Not Modified\r\nStatus:304 Not Modified\r\nETag:" + tag + "\r\n\r\n");
}

TEST_F(IsapiLibraryTest, ViewOfAMissingPollAnswersNotFound) {
    const IsapiAnswer answer = library_->Call(Get("command=view&filename=absent.pol"));
    EXPECT_NE(answer.body.find("Pollfile \"absent.pol\"not found !"), std::string::npos) << answer.body;
}

// Bodies a server delivers partly preloaded, partly through ReadClient in pieces.
TEST_F(IsapiLibraryTest, BodyBeyondThePreloadedBytesIsReadInFull) {
    std::string filler(3000, 'x');
    const std::string body = "command=add&filler=" + filler + "&body1.pol=last+field";
    struct Case {
        const char* fault;
        size_t preloaded, piece;
    } cases[] = {
        {"the streamed part is lost when all but the first bytes are left to ReadClient", 100, 65536},
        {"a server that delivers fewer bytes than asked cuts the body", 1000, 700},
        {"nothing preloaded at all", 0, 512},
    };
    int recorded = 0;
    for (const Case& c : cases) {
        IsapiCall call = Post(body);
        call.preloaded = c.preloaded;
        call.readPiece = c.piece;
        const IsapiAnswer answer = library_->Call(call);
        EXPECT_EQ(answer.streamed, body.size() - c.preloaded) << c.fault;
        EXPECT_EQ(Lines(dir_->Read("body1.pol")), ++recorded) << c.fault;
    }
    EXPECT_NE(dir_->Read("body1.pol").find(",last field\r\n"), std::string::npos);
}

TEST_F(IsapiLibraryTest, BodyOverTheReadLimitKeepsOnlyThePreloadedPart) {
    IsapiCall call = Post("command=add&limit1.pol=kept&filler=" + std::string(20000, 'x') + "&limit2.pol=dropped");
    call.preloaded = 40;
    const IsapiAnswer answer = library_->Call(call);
    EXPECT_EQ(answer.status, HSE_STATUS_SUCCESS);
    EXPECT_EQ(answer.streamed, 0u) << "a body over AutoReadLimit is not read";
    EXPECT_TRUE(dir_->Exists("limit1.pol"));
    EXPECT_FALSE(dir_->Exists("limit2.pol"));
    EXPECT_NE(dir_->Read("Log/tallyhouse_isapi.Log").find("Content length exceeds AutoReadLimit"), std::string::npos);
}

// Server threads call at once while the application keeps process-wide state: every answer must
// be the one a lone request gets, and no answer may be lost.
TEST_F(IsapiLibraryTest, ParallelServerThreadsGetTheAnswersOfSequentialRequests) {
    constexpr int Threads = 8, PerThread = 200;
    const std::string help = library_->Call(Get("")).output;
    const std::string notFound = library_->Call(Get("command=view&filename=none.pol")).output;
    const std::string chartQuery = "command=view&width=120&height=90&style=4&legend=1";
    const std::string chart = library_->Call(Get(chartQuery)).output;
    ASSERT_TRUE(DecodeGif(chart.substr(chart.find("\r\n\r\n") + 4)).ok);
    std::atomic<int> wrong{0}, adds{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < PerThread; ++i) {
                switch ((t + i) % 4) {
                case 0:
                    if (library_->Call(Get("")).output != help) ++wrong;
                    break;
                case 1:
                    if (library_->Call(Get("command=view&filename=none.pol")).output != notFound) ++wrong;
                    break;
                case 2:
                    if (library_->Call(Get(chartQuery)).output != chart) ++wrong;
                    break;
                default: {
                    const IsapiAnswer answer = library_->Call(
                        Post("command=add&backurl=/t" + std::to_string(t) + "&parallel.pol=t" + std::to_string(t)));
                    if (answer.body.find("0;URL=/t" + std::to_string(t) + "\"") == std::string::npos) ++wrong;
                    ++adds;
                }
                }
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
    const std::string poll = dir_->Read("parallel.pol");
    EXPECT_EQ(Lines(poll), adds.load()) << "every add is recorded";
    for (int t = 0; t < Threads; ++t) {
        const std::string answer = ",t" + std::to_string(t) + "\r\n";
        int count = 0;
        for (size_t at = poll.find(answer); at != std::string::npos; at = poll.find(answer, at + 1)) ++count;
        int expected = 0;
        for (int i = 0; i < PerThread; ++i) expected += (t + i) % 4 == 3;
        EXPECT_EQ(count, expected) << "thread " << t;
    }
}

// The web server itself would die of a poll file emptied while the library reads it.
TEST_F(IsapiLibraryTest, APollEmptiedWhileItIsReadStillGetsAnAnswer) {
    WriteLargePoll(dir_->Path() / "emptied.pol", 30);
    TruncateWhileRead admin(dir_->Path() / "emptied.pol");
    const IsapiAnswer answer = library_->Call(Get("command=view&filename=emptied.pol&style=3"));
    ASSERT_TRUE(admin.Stop()) << "the file was not emptied during the view";
    EXPECT_EQ(answer.status, static_cast<DWORD>(HSE_STATUS_SUCCESS)) << answer.logData;
    EXPECT_EQ(answer.body.rfind("GIF89a", 0), 0u) << answer.header;
}

}  // namespace
