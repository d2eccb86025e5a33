// The resident Windows CGI server through the built program: request files queued by many
// request processes at once in both server modes, paths that do not fit a record, records
// of the other server kind, and a server that dies while a request waits.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <future>

#include <gtest/gtest.h>

#include "engine/wincgi/cgi_win_server.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_record.h"
#include "tests/engine/resident_server.h"

using namespace tallyhouse::engine;

namespace {

using namespace testsupport;

std::string AddRequest(const std::string& outputFile, int i) {
    return "[CGI]\r\nRequest Method=GET\r\nQuery String=command=add&winsrv.pol=answer" + std::to_string(i) +
           "&backurl=/back/" + std::to_string(i) + "\r\n[System]\r\nOutput File=" + outputFile + "\r\n";
}

// Runs the program with a request file written as a Windows CGI server writes it.
CgiResult RunRequestFile(const ScratchDir& dir, const std::string& name, const std::string& ini,
                         const std::string& mode) {
    dir.Write(name, ini);
    CgiRequest request;
    request.args = {(dir.Path() / name).string()};
    return RunProgram(dir.Program(), ModeRequest(request, mode));
}

CgiResult RunAdd(const ScratchDir& dir, int i, const std::string& mode) {
    return RunRequestFile(dir, "Request" + std::to_string(i) + ".ini", AddRequest("Out" + std::to_string(i) + ".txt", i),
                          mode);
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string LogOf(const ScratchDir& dir) {
    return dir.Exists("Log/tallyhouse.Log") ? dir.Read("Log/tallyhouse.Log") : "";
}

// The resident server that the first request of a server mode starts; this test process
// becomes its parent when the request process ends, so it can wait for it.
class WinServer {
public:
    WinServer(const ScratchDir& dir, const std::string& mode) {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        first = RunAdd(dir, 0, mode);
        if (WaitFor(30, [&] { return ServerShown(dir); }))
            pid = static_cast<pid_t>(std::stol(dir.Read("Temp/tallyhouse.cgi_S.pid")));
    }
    ~WinServer() {
        if (pid > 0 && !Stop(SIGTERM)) Stop(SIGKILL);
    }
    WinServer(const WinServer&) = delete;
    WinServer& operator=(const WinServer&) = delete;

    bool Ended(double seconds) {
        const bool ended = WaitFor(seconds, [&] { return waitpid(pid, nullptr, WNOHANG) == pid; });
        if (ended) pid = -1;
        return ended;
    }
    bool Stop(int signal) {
        if (pid <= 0) return true;
        kill(pid, signal);
        return Ended(10);
    }

    CgiResult first;
    pid_t pid = -1;
};

class WinServerModes : public ::testing::TestWithParam<std::string> {};

TEST_P(WinServerModes, ServesEveryQueuedRequestFileOnceAndEndsWhenAskedToClose) {
    ScratchDir dir;
    WinServer server(dir, GetParam());
    ASSERT_GT(server.pid, 0) << "no server was started";
    EXPECT_EQ(server.first.exitCode, 0);
    EXPECT_NE(dir.Read("Out0.txt").find("/back/0"), std::string::npos) << "the request that started it";

    constexpr int Requests = 12;
    std::vector<std::future<CgiResult>> running;
    for (int i = 1; i <= Requests; ++i)
        running.push_back(std::async(std::launch::async, [&, i] {
            // A request process in NormalMode hands over to the running server as well.
            return RunAdd(dir, i, i % 2 ? GetParam() : "");
        }));
    for (int i = 1; i <= Requests; ++i) {
        EXPECT_EQ(running[i - 1].get().exitCode, 0) << i;
        const std::string out = dir.Read("Out" + std::to_string(i) + ".txt");
        EXPECT_EQ(out.rfind("content-type:text/html\r\n\r\n", 0), 0u) << i << ": " << out.substr(0, 60);
        EXPECT_NE(out.find("/back/" + std::to_string(i) + "\""), std::string::npos) << i;
    }
    const std::string poll = dir.Read("winsrv.pol");
    for (int i = 0; i <= Requests; ++i)
        EXPECT_EQ(CountOf(poll, "answer" + std::to_string(i) + "\r\n"), 1) << "answer " << i << " in\n" << poll;
    EXPECT_EQ(CountOf(LogOf(dir), "served without"), 0) << LogOf(dir);
    EXPECT_EQ(dir.Read("Temp/tallyhouse.cgi_S"), "") << "every record is removed once answered";

    EXPECT_TRUE(server.Stop(SIGTERM));
    EXPECT_FALSE(ServerShown(dir));
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S")) << "a closed server leaves no queue behind";
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S.pid")) << "nor its mark";
}

INSTANTIATE_TEST_SUITE_P(BothModes, WinServerModes, ::testing::Values("ServerMode", "ServerThreadMode"));

TEST(WinServer, APathTooLongForARecordIsServedByItsOwnProcess) {
    ScratchDir dir;
    WinServer server(dir, "ServerMode");
    ASSERT_GT(server.pid, 0);
    std::filesystem::path deep = dir.Path();
    while (deep.string().size() < 300) deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    const std::string name = (deep / "request.ini").lexically_relative(dir.Path()).string();
    ASSERT_GT((dir.Path() / name).string().size(), TServerRecord::NameSize);

    for (const std::string mode : {"", "ServerMode"}) {
        std::filesystem::remove(dir.Path() / "Long.txt");
        EXPECT_EQ(RunRequestFile(dir, name, AddRequest((dir.Path() / "Long.txt").string(), 7), mode).exitCode, 0);
        EXPECT_NE(dir.Read("Long.txt").find("/back/7"), std::string::npos) << "mode " << mode;
    }
    EXPECT_EQ(CountOf(LogOf(dir), "longer than 255 characters"), 2) << LogOf(dir);
    EXPECT_EQ(dir.Read("Temp/tallyhouse.cgi_S"), "") << "nothing cut short was queued";
}

TEST(WinServer, AStandardCgiRecordStopsTheServerForGood) {
    ScratchDir dir;
    WinServer server(dir, "ServerMode");
    ASSERT_GT(server.pid, 0);
    const std::string queue = ServerListOf(dir);
    ASSERT_TRUE(AppendRequestRecord(queue, [&] { return (dir.Path() / "Temp/tallyhouse.cgi_C_0001_REQ").string(); }));
    EXPECT_TRUE(server.Ended(30)) << "polling stops for good";
    EXPECT_FALSE(ServerShown(dir));
}

TEST(WinServer, ARequestProcessEndsWhenItsServerDiesWhileItWaits) {
    ScratchDir dir;
    WinServer server(dir, "ServerMode");
    ASSERT_GT(server.pid, 0);
    kill(server.pid, SIGSTOP);
    auto waiting = std::async(std::launch::async, [&] { return RunAdd(dir, 1, ""); });
    ASSERT_TRUE(WaitFor(30, [&] { return dir.Read("Temp/tallyhouse.cgi_S").size() == TServerRecord::Size; }));
    server.Stop(SIGKILL);
    EXPECT_EQ(waiting.get().exitCode, 0) << "the request process hangs until the runner kills it";
    EXPECT_FALSE(dir.Exists("Out1.txt"));
    EXPECT_NE(LogOf(dir).find("Windows CGI server aborted"), std::string::npos)
        << "the request did not notice its server's death, only a stale queue: " << LogOf(dir);
}

TEST(WinServer, QueuedNamesAreFoundOnDiskWithoutRegardToCase) {
    ScratchDir dir;
    dir.Write("Mixed.Case.ini", "x");
    dir.Write("twin.ini", "x");
    dir.Write("TWIN.INI", "x");
    const std::string folder = dir.Path().string();
    struct Case {
        std::string name;
        std::string expected;
        const char* fault;
    } cases[] = {
        {folder + "/Mixed.Case.ini", folder + "/Mixed.Case.ini", "the exact name is not found"},
        {folder + "/MIXED.CASE.INI", folder + "/Mixed.Case.ini", "the upper-cased record name is not found"},
        {folder + "/twin.ini", folder + "/twin.ini", "an exact name loses to a look-alike"},
        {folder + "/Twin.ini", "", "one of two look-alikes is served for the other"},
        {folder + "/none.ini", "", "a missing file is found"},
        {folder, "", "a folder counts as a request file"},
        {"relative.ini", "", "a relative name is looked up"},
    };
    for (const Case& c : cases) EXPECT_EQ(CgiWinServer::FindFileIgnoringCase(c.name), c.expected) << c.fault;
}

}  // namespace
