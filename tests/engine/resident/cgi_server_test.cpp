// The resident CGI server through the built program: many request processes at once in both
// server modes, a server that dies, a stale server list, and a server that never starts.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <future>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/resident/server_record.h"
#include "tests/engine/resident_server.h"
#include "tests/support/truncation.h"

using namespace tallyhouse::engine;

namespace {

using namespace testsupport;

std::string RedirectPage(const std::string& backurl) {
    return "<html><head><title>Brightloom TALLYHOUSE</title>"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"
           "<meta http-equiv=\"REFRESH\" content=\"0;URL=" +
           backurl + "\"></head><body></body></html>";
}

std::string AddQuery(int i) {
    return "command=add&srvtest.pol=answer" + std::to_string(i) + "&backurl=/back/" + std::to_string(i);
}

// The Content-Length line that the hand-over adds must give the body's size.
void ExpectComplete(const CgiResult& result, const std::string& body, const std::string& what) {
    EXPECT_EQ(result.exitCode, 0) << what;
    EXPECT_TRUE(result.body == body) << what << ": " << result.body.size() << " bytes, expected " << body.size();
    EXPECT_NE(result.header.find("\r\nContent-Length: " + std::to_string(body.size())), std::string::npos)
        << what << ": " << result.header;
}

int LinesEndingWith(const std::string& text, const std::string& end) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0) ++count;
    }
    return count;
}

std::vector<std::string> TempFiles(const ScratchDir& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "Temp", error))
        names.push_back(entry.path().filename().string());
    return names;
}

class ResidentServerModes : public ::testing::TestWithParam<std::string> {};

TEST_P(ResidentServerModes, AnswersManyRequestProcessesAtOnceCompletelyAndRecordsEachAnswerOnce) {
    ScratchDir dir;
    const CgiResult normal = RunProgram(dir.Program(), GetRequest(""));
    ASSERT_EQ(normal.exitCode, 0);
    const std::string help = normal.body;
    ASSERT_NE(help.find("Version 1.00s - 05/29/1999"), std::string::npos);
    ASSERT_FALSE(ServerShown(dir));

    // Charts shaped every which way between plain ones: each view in the one server process must
    // start from the stored look, so the plain charts equal those of a fresh process.
    const std::string shaped =
        "command=view&filename=testdeutsch&style=3&3D=yes&3Dorthogonal=no&number=Antworten&border=yes&legend=no"
        "&color=99&width=300";
    const std::string plain = "command=view&filename=testenglish";
    const std::string shapedChart = RunProgram(dir.Program(), GetRequest(shaped)).body;
    const std::string plainChart = RunProgram(dir.Program(), GetRequest(plain)).body;
    ASSERT_EQ(plainChart.rfind("GIF89a", 0), 0u);
    ResidentServer server(dir, GetParam());
    ASSERT_GT(server.Pid(), 0) << "no server was started";
    ExpectComplete(server.FirstResponse(), help, "the request that started the server");

    auto query = [&](int i) { return i % 3 == 1 ? AddQuery(i) : i % 3 == 2 ? std::string() : i % 2 ? shaped : plain; };
    auto expected = [&](int i) {
        return i % 3 == 1 ? RedirectPage("/back/" + std::to_string(i)) : i % 3 == 2 ? help : i % 2 ? shapedChart : plainChart;
    };

    constexpr int Requests = 30;
    std::vector<std::future<CgiResult>> running;
    for (int i = 0; i < Requests; ++i)
        running.push_back(std::async(std::launch::async, [&, i] { return RunProgram(dir.Program(), GetRequest(query(i))); }));
    for (int i = 0; i < Requests; ++i) ExpectComplete(running[i].get(), expected(i), "request " + std::to_string(i) + " " + query(i));

    const std::string poll = dir.Read("srvtest.pol");
    for (int i = 1; i < Requests; i += 3)
        EXPECT_EQ(LinesEndingWith(poll, ",answer" + std::to_string(i)), 1) << "answer " << i << " in\n" << poll;
    EXPECT_EQ(LinesEndingWith(poll, ""), Requests / 3);

    EXPECT_TRUE(server.Stop());
    EXPECT_TRUE(TempFiles(dir).empty()) << "the server left files behind";
}

INSTANTIATE_TEST_SUITE_P(BothModes, ResidentServerModes, ::testing::Values("ServerMode", "ServerThreadMode"));

TEST(ResidentServer, FirstRequestsArrivingTogetherShareOneNewServer) {
    ScratchDir dir;
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::vector<std::future<CgiResult>> running;
    for (int i = 0; i < 6; ++i)
        running.push_back(std::async(std::launch::async, [&, i] {
            return RunProgram(dir.Program(), ModeRequest(GetRequest(AddQuery(i)), "ServerMode"));
        }));
    for (int i = 0; i < 6; ++i) {
        const CgiResult result = running[i].get();
        ExpectComplete(result, RedirectPage("/back/" + std::to_string(i)), "request " + std::to_string(i));
    }
    const std::string poll = dir.Read("srvtest.pol");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(LinesEndingWith(poll, ",answer" + std::to_string(i)), 1) << poll;
    ASSERT_TRUE(ServerShown(dir));
    const pid_t server = static_cast<pid_t>(std::stol(dir.Read("Temp/tallyhouse.cgi_S.pid")));
    kill(server, SIGTERM);
    EXPECT_EQ(waitpid(server, nullptr, 0), server);
    EXPECT_TRUE(TempFiles(dir).empty());
    // Every server started beside the one that won has ended: no child of ours is left.
    pid_t reaped = 0;
    while ((reaped = waitpid(-1, nullptr, WNOHANG)) > 0) {
    }
    EXPECT_EQ(reaped, -1) << "a second server still runs";
}

TEST(ResidentServer, AFolderTooDeepForTheRecordsIsServedWithoutAServer) {
    ScratchDir dir;
    const std::filesystem::path deep = dir.Path() / std::string(230, 'd');
    std::filesystem::create_directories(deep);
    std::filesystem::copy_file(dir.Program(), deep / "tallyhouse.cgi");
    const CgiResult result = RunProgram((deep / "tallyhouse.cgi").string(), ModeRequest(GetRequest(""), "ServerMode"));
    EXPECT_NE(result.body.find("Version 1.00s"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(deep / "Temp" / "tallyhouse.cgi_S.pid")) << "a server was started";
    const std::string log = ReadFile(deep / "Log" / "tallyhouse.Log");
    EXPECT_NE(log.find("Folder path too long for the CGI server; request served without it"), std::string::npos) << log;
    EXPECT_EQ(log.find("did not start"), std::string::npos) << "the request waited for a server first: " << log;
}

TEST(ResidentServer, RequestProcessesEndAtOnceWhenTheServerDies) {
    ScratchDir dir;
    ResidentServer server(dir, "ServerMode");
    ASSERT_GT(server.Pid(), 0);
    // A stopped server takes no requests, so the request is surely in its hands when it dies.
    kill(server.Pid(), SIGSTOP);
    auto waiting = std::async(std::launch::async, [&] { return RunProgram(dir.Program(), GetRequest("")); });
    ASSERT_TRUE(WaitFor(30, [&] { return DecodeServerList(dir.Read("Temp/tallyhouse.cgi_S")).size() == 1; }));
    // A list dated in the future never looks stale: only the server's death can end the wait,
    // which would otherwise last until the runner kills the request process.
    const time_t future = time(nullptr) + 3600;
    const timespec dates[2] = {{future, 0}, {future, 0}};
    utimensat(AT_FDCWD, ServerListOf(dir).c_str(), dates, 0);
    server.Kill();
    const CgiResult result = waiting.get();
    EXPECT_EQ(result.exitCode, 0) << "the request process outlived its server";
    EXPECT_EQ(result.output, "");
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find(" : CGI server aborted"), std::string::npos);
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S")) << "the dead server's list stays";

    const CgiResult next = RunProgram(dir.Program(), GetRequest(""));
    EXPECT_NE(next.body.find("Version 1.00s"), std::string::npos) << "the next request is not served fresh";
}

TEST(ResidentServer, ARequestProcessGivesUpOnAServerWhoseHeartbeatStopped) {
    ScratchDir dir;
    ResidentServer server(dir, "ServerMode");
    ASSERT_GT(server.Pid(), 0);
    // Stopped, the server neither takes requests nor refreshes its list.
    kill(server.Pid(), SIGSTOP);
    auto waiting = std::async(std::launch::async, [&] { return RunProgram(dir.Program(), GetRequest("")); });
    ASSERT_TRUE(WaitFor(30, [&] { return DecodeServerList(dir.Read("Temp/tallyhouse.cgi_S")).size() == 1; }));
    const time_t old = time(nullptr) - 31;
    const timespec dates[2] = {{old, 0}, {old, 0}};
    utimensat(AT_FDCWD, ServerListOf(dir).c_str(), dates, 0);
    const CgiResult result = waiting.get();
    EXPECT_EQ(result.exitCode, 0) << "the request process waited on, until the runner killed it";
    EXPECT_EQ(result.output, "");
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find(" : CGI server aborted"), std::string::npos);
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S"));
    kill(server.Pid(), SIGCONT);
    EXPECT_TRUE(server.Stop());
}

TEST(ResidentServer, AServerListThirtyOneSecondsOldWithoutAServerIsRemovedAndTheRequestServedFresh) {
    ScratchDir dir;
    std::filesystem::create_directories(dir.Path() / "Temp");
    TServerRecord waiting;
    waiting.RequestName = "/GONE/TEMP/TALLYHOUSE.CGI_C_0001_REQ";
    dir.Write("Temp/tallyhouse.cgi_S", waiting.Encode());
    dir.Write("Temp/tallyhouse.cgi_C_0001_REQ", "left by a dead server's client");
    const time_t old = time(nullptr) - 31;
    const timespec dates[2] = {{old, 0}, {old, 0}};
    utimensat(AT_FDCWD, ServerListOf(dir).c_str(), dates, 0);

    const CgiResult result = RunProgram(dir.Program(), GetRequest(""));
    EXPECT_NE(result.body.find("Version 1.00s"), std::string::npos);
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S"));
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_C_0001_REQ"));
    EXPECT_FALSE(ServerShown(dir));
}

TEST(ResidentServer, ARequestThatNoNewServerTakesIsAnsweredByItsOwnProcess) {
    ScratchDir dir;
    // A folder where the server's mark belongs keeps any server from starting.
    std::filesystem::create_directories(dir.Path() / "Temp" / "tallyhouse.cgi_S.pid");
    dir.Write("Temp/tallyhouse.cgi_S.pid/keep", "");

    const auto start = std::chrono::steady_clock::now();
    const CgiResult result = RunProgram(dir.Program(), ModeRequest(GetRequest(AddQuery(1)), "ServerMode"));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.body, RedirectPage("/back/1"));
    EXPECT_EQ(LinesEndingWith(dir.Read("srvtest.pol"), ",answer1"), 1);
    EXPECT_GE(seconds, 3.0) << "fewer than six hand-over attempts";
    EXPECT_EQ(result.exitCode, 0) << "the request process stayed until the runner killed it";
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("CGI server did not start"), std::string::npos);
}

TEST(ResidentServer, APollEmptiedWhileTheServerReadsItLeavesTheServerServing) {
    ScratchDir dir;
    ResidentServer server(dir, "ServerMode");
    ASSERT_GT(server.Pid(), 0) << "no server was started";
    WriteLargePoll(dir.Path() / "emptied.pol", 30);
    TruncateWhileRead admin(dir.Path() / "emptied.pol");
    const CgiResult chart =
        RunProgram(dir.Program(), ModeRequest(GetRequest("command=view&filename=emptied.pol&style=3"), "ServerMode"));
    ASSERT_TRUE(admin.Stop()) << "the file was not emptied during the view";
    EXPECT_EQ(chart.body.rfind("GIF89a", 0), 0u) << chart.header;
    EXPECT_EQ(kill(server.Pid(), 0), 0) << "the server is gone";
    EXPECT_EQ(RunProgram(dir.Program(), GetRequest("command=view&filename=emptied.pol")).body.rfind("GIF89a", 0), 0u);
}

// A request process copies a body into Temp/ only as far as the server can use it: here files
// larger than 1 MB cannot be written at all, and a 4 MB body still gets its answer.
TEST(ResidentServer, AHugeBodyIsNotCopiedWhole) {
    ScratchDir dir;
    ResidentServer server(dir, "ServerMode");
    ASSERT_GT(server.Pid(), 0) << "no server was started";
    CgiRequest request = ModeRequest(PostRequest("command=add&big.pol=" + std::string(4 << 20, 'x')), "ServerMode");
    request.inChild = [] {
        const rlimit size{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &size);
    };
    const CgiResult result = RunProgram(dir.Program(), request);
    EXPECT_EQ(result.exitCode, 0) << "128 + 25: ended by SIGXFSZ";
    EXPECT_NE(result.body.find("Version 1.00s"), std::string::npos) << "the help page of a request without fields";
    EXPECT_FALSE(dir.Exists("big.pol"));
    const std::string log = dir.Read("Log/tallyhouse.Log");
    EXPECT_NE(log.find("Content length exceeds AutoReadLimit"), std::string::npos) << log;
    EXPECT_EQ(log.find("Can not write request file"), std::string::npos) << log;
}

TEST(ResidentServer, ARevalidatedChartIsAnswered304ThroughTheServer) {
    ScratchDir dir;
    ResidentServer server(dir, "ServerMode", "command=view&style=1");
    ASSERT_GT(server.Pid(), 0);
    const std::string header = server.FirstResponse().header;
    const size_t at = header.find("ETag:");
    ASSERT_NE(at, std::string::npos) << header;
    const std::string tag = header.substr(at + 5, header.find("\r\n", at) - at - 5);
    CgiRequest again = ModeRequest(GetRequest("command=view&style=1"), "ServerMode");
    again.env["HTTP_IF_NONE_MATCH"] = tag;
    EXPECT_EQ(RunProgram(dir.Program(), again).output,
              "HTTP/1.1 304 Not Modified\r\nStatus:304 Not Modified\r\nETag:" + tag + "\r\nContent-Length: 0\r\n\r\n");
    EXPECT_TRUE(server.Stop());
}

}  // namespace
