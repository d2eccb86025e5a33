// The FastCGI engine through the built program started as a FastCGI server, against the same
// requests run as standard CGI children.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "engine/fastcgi/fastcgi_start.h"
#include "platform/os/exception.h"
#include "tests/support/fastcgi_client.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

using namespace testsupport;

// What a FastCGI answer is: the CGI answer without the raw status line.
std::string WithoutStatusLine(std::string cgi) {
    if (cgi.rfind("HTTP/1.1 ", 0) == 0) cgi.erase(0, cgi.find("\r\n") + 2);
    return cgi;
}

// Lines with the part that differs between two runs (the time, a random request number) cut.
std::string Stripped(const std::string& text, const std::string& after) {
    std::istringstream in(text);
    std::string line, out;
    while (std::getline(in, line)) {
        const size_t at = line.find(after);
        out += (at == std::string::npos ? line : line.substr(at)) + "\n";
    }
    return out;
}

CgiRequest Multipart(const std::map<std::string, std::string>& fields) {
    const std::string b = "----tallyhouse1234";
    std::string body;
    for (const auto& [name, value] : fields)
        body += "--" + b + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    return PostRequest(body + "--" + b + "--\r\n", "multipart/form-data; boundary=" + b);
}

CgiRequest ShortBody() {
    CgiRequest request = PostRequest("command=add&q.pol=short&q.pol=cut");
    request.env["CONTENT_LENGTH"] = "60";
    return request;
}

CgiRequest LongBody() {
    CgiRequest request = PostRequest("command=add&q.pol=long&q.pol=ignored");
    request.env["CONTENT_LENGTH"] = "22";
    return request;
}

// Equal answers, and where they differ a short look at the place instead of two whole GIFs.
::testing::AssertionResult SameBytes(const std::string& fast, const std::string& cgi) {
    if (fast == cgi) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < fast.size() && at < cgi.size() && fast[at] == cgi[at]) ++at;
    const size_t from = at < 40 ? 0 : at - 40;
    return ::testing::AssertionFailure() << "sizes " << fast.size() << " and " << cgi.size() << ", first difference at "
                                         << at << ":\n" << ::testing::PrintToString(fast.substr(from, 120)) << "\n"
                                         << ::testing::PrintToString(cgi.substr(from, 120));
}

// Every other line is the FastCGI run's; each must equal the standard CGI line after it.
void ExpectPairsEqual(const std::string& lines, const char* what) {
    std::istringstream in(lines);
    std::string fast, cgi;
    int pairs = 0;
    while (std::getline(in, fast) && std::getline(in, cgi)) {
        EXPECT_EQ(fast, cgi) << what;
        ++pairs;
    }
    EXPECT_GT(pairs, 0) << what;
}

// Both runs in the same folder, one after the other: the same poll, the same program file.
TEST(FastCgiEngine, AnswersByteForByteAsStandardCgi) {
    ScratchDir dir;
    FastCgiServer server(dir, 2);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const struct {
        const char* what;
        CgiRequest request;
    } cases[] = {
        {"help page", GetRequest("")},
        {"add by GET with a redirect", GetRequest("command=add&backurl=http%3A%2F%2F127.0.0.1%2F&q.pol=yes")},
        {"add by POST", PostRequest("command=add&q.pol=very+good")},
        {"add by a multipart POST", Multipart({{"command", "add"}, {"q.pol", "multi"}})},
        {"a body shorter than declared keeps its whole pairs", ShortBody()},
        {"a body longer than declared is read as declared", LongBody()},
        {"view of the German sample", GetRequest("command=view")},
        {"a shaped view", GetRequest("command=view&style=3&3D=yes&width=300&height=200&number=Antworten")},
        {"view of the poll just answered", GetRequest("command=view&filename=q.pol&color=99&style=1")},
        {"missing poll", GetRequest("command=view&filename=nosuch.pol")},
        {"a size refused", GetRequest("command=view&width=5000")},
        {"a parameter that is no number", GetRequest("command=view&height=abc")},
        {"a body past AutoReadLimit", PostRequest("command=add&q.pol=" + std::string(10001, 'x'))},
        {"unknown command", GetRequest("command=View")},
    };
    for (const auto& c : cases) {
        const std::string fast = FastCgiAnswer(server.Socket(), c.request);
        EXPECT_TRUE(SameBytes(fast, WithoutStatusLine(RunProgram(dir.Program(), c.request).output))) << c.what;
    }
    dir.Write("tallyhouse.key", "");
    const CgiRequest locked = GetRequest("command=add&new.pol=x&backurl=/");
    const std::string fast = FastCgiAnswer(server.Socket(), locked);
    EXPECT_TRUE(SameBytes(fast, WithoutStatusLine(RunProgram(dir.Program(), locked).output)));
    EXPECT_FALSE(dir.Exists("new.pol"));

    ExpectPairsEqual(Stripped(dir.Read("q.pol"), ","), "poll lines");
    ExpectPairsEqual(Stripped(dir.Read("Log/tallyhouse.Log"), " : "), "log lines");
}

TEST(FastCgiEngine, StartsNameAUnixSocketOrALoopbackAddress) {
    const TFastCgiStart unixStart = ParseFastCgiStart({"--fastcgi", "unix:/run/t.sock", "--workers", "3"});
    EXPECT_EQ(unixStart.Address.Kind, TFastCgiAddress::Unix);
    EXPECT_EQ(unixStart.Address.Path, "/run/t.sock");
    EXPECT_EQ(unixStart.Workers, 3);
    const TFastCgiStart tcp = ParseFastCgiStart({"--fastcgi", "[::1]:9000"});
    EXPECT_EQ(tcp.Address.Host, "::1");
    EXPECT_EQ(tcp.Address.Port, "9000");
    EXPECT_EQ(tcp.Workers, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    EXPECT_EQ(ParseFastCgiStart({"--fastcgi", "localhost:9000"}).Address.Kind, TFastCgiAddress::Tcp);
    const std::vector<std::vector<std::string>> refused = {
        {"--fastcgi"},
        {"--fastcgi", "192.0.2.1:9000"},
        {"--fastcgi", "0.0.0.0:9000"},
        {"--fastcgi", "127.0.0.1:99999"},
        {"--fastcgi", "127.0.0.1"},
        {"--fastcgi", "unix:"},
        {"--fastcgi", "unix:/s", "--workers", "0"},
        {"--fastcgi", "unix:/s", "--workers"},
        {"--fastcgi", "unix:/s", "--threads", "2"},
    };
    for (const auto& parameters : refused)
        EXPECT_THROW(ParseFastCgiStart(parameters), Exception) << parameters.back();
    EXPECT_EQ(ParseFastCgiStart({"--fastcgi", "unix:/s"}, 40).Workers, 40) << "the operator's setting, whatever the cores";
    EXPECT_EQ(ParseFastCgiStart({"--fastcgi", "unix:/s", "--workers", "3"}, 40).Workers, 3) << "the command line wins";
    EXPECT_FALSE(NamesFastCgiStart({"/tmp/--fastcgi.ini"})) << "a Windows CGI request file";
    EXPECT_FALSE(NamesFastCgiStart({"START_SERVER"}));
}

TEST(FastCgiEngine, AStartItCannotReadEndsWithTheUsage) {
    ScratchDir dir;
    CgiRequest start;
    start.args = {"--fastcgi", "192.0.2.1:9000"};
    const CgiResult result = RunProgram(dir.Program(), start);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.errors.find("no loopback address"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("Usage: tallyhouse.cgi --fastcgi"), std::string::npos);
    EXPECT_FALSE(dir.Exists("Temp")) << "no resident CGI server was started";
}

// A worker's connection is in hand once it holds a socket besides the listening one.
pid_t WorkerInHand(pid_t server) {
    for (pid_t worker : ChildrenOf(server))
        if (OpenSockets(worker) >= 2) return worker;
    return 0;
}

TEST(FastCgiEngine, SigtermAnswersTheRequestInHandThenEveryProcessEnds) {
    ScratchDir dir;
    FastCgiServer server(dir, 2);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const CgiRequest add = PostRequest("command=add&q.pol=in+hand");
    FastCgiConnection connection(server.Socket());
    connection.Begin(add.env);
    connection.Body(add.input.substr(0, 10));
    ASSERT_TRUE(WaitUntil(30000, [&] { return WorkerInHand(server.Pid()) != 0; }));
    const std::vector<pid_t> workers = ChildrenOf(server.Pid());
    kill(server.Pid(), SIGTERM);
    EXPECT_TRUE(WaitUntil(30000, [&] { return !dir.Exists("fcgi.sock"); })) << "no new connection is taken";
    connection.Body(add.input.substr(10));
    connection.EndBody();
    EXPECT_NE(connection.Answer().find("Data saved correctly !"), std::string::npos);
    connection.Close();
    EXPECT_NE(dir.Read("q.pol").find(",in hand\r\n"), std::string::npos);
    EXPECT_EQ(server.Stop(), 0);
    for (pid_t worker : workers) EXPECT_NE(kill(worker, 0), 0) << "worker " << worker << " still runs";
    EXPECT_FALSE(dir.Exists("Temp"));
}

TEST(FastCgiEngine, AWorkerKilledMidRequestIsReplacedAndNoEarlierAnswerIsLost) {
    ScratchDir dir;
    FastCgiServer server(dir, 2);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    EXPECT_NE(FastCgiAnswer(server.Socket(), GetRequest("command=add&q.pol=before")).find("Data saved"), std::string::npos);
    // The worker that answered may not have closed that connection yet; it is not the one to kill.
    ASSERT_TRUE(WaitUntil(30000, [&] { return WorkerInHand(server.Pid()) == 0; }));
    const CgiRequest add = PostRequest("command=add&q.pol=killed");
    FastCgiConnection connection(server.Socket());
    connection.Begin(add.env);
    connection.Body(add.input.substr(0, 5));
    pid_t busy = 0;
    ASSERT_TRUE(WaitUntil(30000, [&] { return (busy = WorkerInHand(server.Pid())) != 0; }));
    kill(busy, SIGKILL);
    EXPECT_TRUE(connection.ClosedByPeer(30000));
    EXPECT_TRUE(WaitUntil(30000, [&] {
        const std::vector<pid_t> now = ChildrenOf(server.Pid());
        return now.size() == 2 && std::find(now.begin(), now.end(), busy) == now.end();
    }));
    EXPECT_NE(FastCgiAnswer(server.Socket(), GetRequest("command=add&q.pol=after")).find("Data saved"), std::string::npos);
    EXPECT_EQ(Stripped(dir.Read("q.pol"), ","), ",127.0.0.1,before\r\n,127.0.0.1,after\r\n");
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("was killed by signal 9; a new one takes its place"), std::string::npos);
}

TEST(FastCgiEngine, PeersThatMisbehaveNeverCostAWorker) {
    ScratchDir dir;
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    {
        // Goes away after half its body.
        FastCgiConnection gone(server.Socket());
        gone.Begin(PostRequest("command=add&q.pol=gone").env);
        gone.Body("command=a");
    }
    {
        // Goes away before its variables are complete.
        FastCgiConnection half(server.Socket());
        half.Begin({});
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(FastCgiAnswer(server.Socket(), GetRequest("")).find("Version 1.00s"), std::string::npos) << i;
    EXPECT_FALSE(dir.Exists("q.pol"));
    EXPECT_EQ(ChildrenOf(server.Pid()).size(), 1u);
}

}  // namespace
