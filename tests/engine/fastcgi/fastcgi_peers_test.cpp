// Peers of the FastCGI socket that are slow, idle, oversized or gone, against the built program
// started as a FastCGI server with one worker: none of them may hold the worker or grow it.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "tests/support/fastcgi_client.h"
#include "tests/support/http_client.h"

namespace {

using namespace testsupport;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The most memory the process has held at once, in KB.
long PeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// A request whose variables are all sent, then its body a byte at a time, a byte every 200 ms:
// every single read is quick, only the request as a whole is slow.
class Trickler {
public:
    explicit Trickler(const FastCgiServer& server) : connection_(server.Connect()) {
        const CgiRequest post = PostRequest("command=add&slow.pol=" + std::string(200, 'x'));
        connection_->Begin(post.env);
        body_ = post.input;
        connection_->SendRaw(FastCgiConnection::RecordBytes(5, body_).substr(0, 9));
    }
    // Trickles on until the server closes the connection; the seconds it took, or -1 after
    // timeoutSeconds.
    double SecondsUntilDropped(Clock::time_point since, double timeoutSeconds) {
        for (size_t at = 1; at < body_.size() && SecondsSince(since) < timeoutSeconds; ++at)
            if (connection_->ClosedByPeer(200) || !connection_->SendRaw(body_.substr(at, 1))) return SecondsSince(since);
        return -1;
    }

private:
    std::unique_ptr<FastCgiConnection> connection_;
    std::string body_;
};

class FastCgiPeers : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        server_ = std::make_unique<FastCgiServer>(dir_, 1, std::map<std::string, std::string>{}, GetParam() ? port_.Port() : 0);
        ASSERT_TRUE(server_->Running()) << dir_.Read("server.log");
    }
    // A help page, asked for and read whole; the seconds it took, or -1 when it did not come.
    double SecondsForAHelpPage() {
        const Clock::time_point start = Clock::now();
        std::unique_ptr<FastCgiConnection> connection = server_->Connect();
        connection->Begin(GetRequest("").env);
        connection->EndBody();
        return connection->Answer(30000).find("Version 1.00s") == std::string::npos ? -1 : SecondsSince(start);
    }

    ScratchDir dir_;
    PortReservation port_;
    std::unique_ptr<FastCgiServer> server_;
};

// A worker holds many connections and serves a request only once the whole of it is here; an
// idle connection is closed after 2 seconds, a trickling one at the request's deadline of 10.
TEST_P(FastCgiPeers, SlowAndIdlePeersHoldNoWorker) {
    const Clock::time_point start = Clock::now();
    std::unique_ptr<FastCgiConnection> idle = server_->Connect();
    std::unique_ptr<FastCgiConnection> stalled = server_->Connect();
    stalled->Begin({{"REQUEST_METHOD", "GET"}});
    Trickler trickler(*server_);
    const double help = SecondsForAHelpPage();
    EXPECT_GE(help, 0);
    EXPECT_LT(help, 1.0) << "a normal request waited behind the slow ones";
    EXPECT_TRUE(idle->ClosedByPeer(5000)) << "an idle connection is closed after 2 seconds";
    const double dropped = trickler.SecondsUntilDropped(start, 25);
    EXPECT_GE(dropped, 9.0) << "the peer had 10 seconds";
    EXPECT_LT(dropped, 20.0) << "a trickling peer is dropped at its request's deadline";
    EXPECT_TRUE(stalled->ClosedByPeer(5000));
    EXPECT_FALSE(dir_.Exists("slow.pol"));
    EXPECT_GE(SecondsForAHelpPage(), 0) << "the worker still serves";
}

// Variables of a request are held to what a CGI program can be given (128 KiB): a query string
// of 10 MB is refused without a worker growing by it, and writes no answer line. Within the
// limit a long query is recorded as standard CGI records it.
TEST_P(FastCgiPeers, VariablesBeyondWhatCgiGetsAreRefusedWithoutGrowingTheWorker) {
    ASSERT_TRUE(WaitUntil(10000, [&] { return !ChildrenOf(server_->Pid()).empty(); }));
    const pid_t worker = ChildrenOf(server_->Pid()).front();
    const long before = PeakKb(worker);
    {
        std::unique_ptr<FastCgiConnection> huge = server_->Connect();
        huge->Begin(GetRequest("command=add&huge.pol=" + std::string(10 << 20, 'x')).env);
        huge->EndBody();
        EXPECT_EQ(huge->Answer(30000), "");
    }
    EXPECT_LT(PeakKb(worker) - before, 8192) << "KB more than before (the 10 MB query would show)";
    EXPECT_FALSE(dir_.Exists("huge.pol"));
    EXPECT_NE(dir_.Read("Log/tallyhouse.Log").find("FastCGI connection refused: parameters longer than 131072 bytes"),
              std::string::npos);

    const std::string longAnswer(100 * 1024, 'y');
    std::unique_ptr<FastCgiConnection> allowed = server_->Connect();
    allowed->Begin(GetRequest("command=add&long.pol=" + longAnswer).env);
    allowed->EndBody();
    EXPECT_NE(allowed->Answer(30000).find("Data saved correctly !"), std::string::npos);
    EXPECT_NE(dir_.Read("long.pol").find("," + longAnswer + "\r\n"), std::string::npos);
}

// A view whose web server has closed the connection (its client went away) stops drawing, as
// under standard CGI, instead of drawing a chart no one receives.
TEST_P(FastCgiPeers, AViewWhoseClientHasGoneStopsDrawing) {
    std::string poll;
    for (int i = 0; i < 200000; ++i) poll += "2026-12-08 10:00:00,127.0.0.1,answer " + std::to_string(i) + "\r\n";
    dir_.Write("many.pol", poll);
    {
        std::unique_ptr<FastCgiConnection> gone = server_->Connect();
        gone->Begin(GetRequest("command=view&filename=many.pol").env);
        gone->EndBody();
    }
    EXPECT_TRUE(WaitUntil(30000, [&] {
        return dir_.Read("Log/tallyhouse.Log").find("The client has gone; the chart was not finished") != std::string::npos;
    }));
    EXPECT_GE(SecondsForAHelpPage(), 0);
}

INSTANTIATE_TEST_SUITE_P(UnixAndTcp, FastCgiPeers, ::testing::Bool(),
                         [](const auto& param) { return param.param ? std::string("Tcp") : std::string("Unix"); });

}  // namespace
