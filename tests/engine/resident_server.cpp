// Start, stop and observation of the resident server in tests.
#include "tests/engine/resident_server.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "engine/resident/server_mark.h"

using namespace tallyhouse::engine;

namespace testsupport {

std::string ServerListOf(const ScratchDir& dir) { return (dir.Path() / "Temp" / "tallyhouse.cgi_S").string(); }

std::string ServerMarkOf(const ScratchDir& dir) { return (dir.Path() / "Temp" / "tallyhouse.cgi_S.pid").string(); }

bool ServerShown(const ScratchDir& dir) { return TServerMark::WindowExists(ServerMarkOf(dir)); }

bool WaitFor(double seconds, const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

CgiRequest ModeRequest(CgiRequest request, const std::string& mode) {
    if (!mode.empty()) request.env["TALLYHOUSE_CGI_MODE"] = mode;
    return request;
}

ResidentServer::ResidentServer(const ScratchDir& dir, const std::string& mode, const std::string& requestQuery,
                               const std::map<std::string, std::string>& settings)
    : dir_(dir) {
    // The server outlives the request process that starts it; as subreaper this test
    // process inherits it and can wait for it.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    CgiRequest first = ModeRequest(GetRequest(requestQuery), mode);
    first.env.insert(settings.begin(), settings.end());
    first_ = RunProgram(dir.Program(), first);
    if (WaitFor(30, [&] { return ServerShown(dir); }))
        pid_ = static_cast<pid_t>(std::stol(dir.Read("Temp/tallyhouse.cgi_S.pid")));
}

ResidentServer::~ResidentServer() {
    if (pid_ > 0 && !Stop()) Kill();
}

bool ResidentServer::Reap(double seconds) {
    const bool ended = WaitFor(seconds, [&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; });
    if (ended) pid_ = -1;
    return ended;
}

bool ResidentServer::Stop() {
    if (pid_ <= 0) return true;
    kill(pid_, SIGTERM);
    return Reap(10);
}

void ResidentServer::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    Reap(10);
}

}  // namespace testsupport
