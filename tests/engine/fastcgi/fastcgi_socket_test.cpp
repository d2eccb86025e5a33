// The listening socket of a "--fastcgi" start and the pool that keeps its workers: what a start
// does with a socket file already there, a socket that cannot listen, and workers that die
// right after their start.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "engine/fastcgi/fastcgi_socket.h"
#include "platform/os/exception.h"
#include "tests/support/fastcgi_client.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

bool failListen = false;

}  // namespace

// This test program's own listen: it fails while failListen is set, which no outside condition
// makes a bound unix socket do.
extern "C" int listen(int fd, int backlog) noexcept {
    if (failListen) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "listen"));
    return real(fd, backlog);
}

namespace {

using namespace testsupport;
using Clock = std::chrono::steady_clock;

// A socket file whose listener has gone, as a killed server leaves it.
void LeaveStaleSocket(const std::filesystem::path& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

CgiResult StartOn(const ScratchDir& dir, const std::string& socket) {
    CgiRequest start;
    start.args = {"--fastcgi", "unix:" + (dir.Path() / socket).string()};
    start.timeoutSeconds = 10;
    return RunProgram(dir.Program(), start);
}

TEST(FastCgiSocket, AStaleSocketIsReplacedALiveOneAndAnyOtherFileRefused) {
    ScratchDir dir;
    LeaveStaleSocket(dir.Path() / "fcgi.sock");
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");

    const CgiResult live = StartOn(dir, "fcgi.sock");
    EXPECT_EQ(live.exitCode, 2);
    EXPECT_NE(live.errors.find("Another server listens on"), std::string::npos) << live.errors;
    EXPECT_NE(FastCgiAnswer(server.Socket(), GetRequest("")).find("Version 1.00s"), std::string::npos);

    dir.Write("poll.sock", "not a socket");
    const CgiResult other = StartOn(dir, "poll.sock");
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_NE(other.errors.find("Not a socket, left as it is"), std::string::npos) << other.errors;
    EXPECT_EQ(dir.Read("poll.sock"), "not a socket");
}

TEST(FastCgiSocket, ASocketThatCannotListenLeavesNoFile) {
    ScratchDir dir;
    TFastCgiAddress address;
    address.Path = (dir.Path() / "fcgi.sock").string();
    failListen = true;
    EXPECT_THROW(TFastCgiSocket socket(address), Exception);
    failListen = false;
    EXPECT_FALSE(dir.Exists("fcgi.sock"));
    EXPECT_NO_THROW(TFastCgiSocket socket(address)) << "the next start finds the name free";
}

// Each worker is killed as soon as it is seen: a second death in a row within a second of the
// worker's start has its replacement wait a second, so a worker that cannot start does not
// make the pool spin.
TEST(FastCgiSocket, WorkersDyingRightAfterTheirStartAreReplacedAfterAPause) {
    ScratchDir dir;
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    double longest = 0;
    pid_t worker = 0;
    for (int death = 0; death < 4; ++death) {
        const pid_t killed = worker;
        const Clock::time_point since = Clock::now();
        ASSERT_TRUE(WaitUntil(10000, [&] {
            const std::vector<pid_t> workers = ChildrenOf(server.Pid());
            worker = workers.size() == 1 && workers[0] != killed ? workers[0] : 0;
            return worker != 0;
        })) << "a worker takes the dead one's place";
        if (death > 0) longest = std::max(longest, std::chrono::duration<double>(Clock::now() - since).count());
        kill(worker, SIGKILL);
    }
    EXPECT_GE(longest, 0.8) << "seconds before a replacement";
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("was killed by signal 9; a new one takes its place"), std::string::npos);
}

}  // namespace
