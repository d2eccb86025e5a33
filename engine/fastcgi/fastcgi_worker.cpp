#include "engine/fastcgi/fastcgi_worker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/os/stop_signals.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

using Clock = TFastCgiConnection::Clock;
using TConnections = std::vector<std::unique_ptr<TFastCgiConnection>>;

// Stop signals stay blocked except while the worker waits, so one that comes while a request is
// served only takes effect once the request is answered. Returns the mask to wait with.
sigset_t BlockStopSignals() {
    CatchStopSignals();
    signal(SIGPIPE, SIG_IGN);
    return StopSignalsOnlyWhileWaiting();
}

// Workers share the socket: the one that loses the race for a connection gets EAGAIN from
// accept instead of blocking where a stop signal cannot reach it.
void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Takes one waiting connection; false when none was there. Errors other than a connection
// another worker took (too many open files, say) get a pause instead of a busy loop.
bool AcceptOne(int listenFd, TConnections& connections, const TFastCgiService& service) {
    const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) usleep(10000);
        return false;
    }
    connections.push_back(std::make_unique<TFastCgiConnection>(TFileDescriptor(fd), service.Limits, Clock::now()));
    return true;
}

// Once asked to stop: the connections already waiting are taken, and a connection that has
// answered is not kept for another request.
void TakeTheLastConnections(int listenFd, TConnections& connections, const TFastCgiService& service) {
    while (AcceptOne(listenFd, connections, service)) {
    }
    for (const auto& connection : connections) connection->CloseWhenIdle();
}

void DropDone(TConnections& connections, const TFastCgiService& service) {
    const Clock::time_point now = Clock::now();
    std::erase_if(connections, [&](const std::unique_ptr<TFastCgiConnection>& connection) {
        if (!connection->Done(now)) return false;
        const std::string why = connection->Refusal();
        if (!why.empty() && service.Log) service.Log("FastCGI connection refused: " + why);
        return true;
    });
}

// Until the nearest deadline; none when nothing waits for one.
timespec UntilNextDeadline(const TConnections& connections) {
    if (connections.empty()) return {60, 0};
    Clock::time_point next = connections.front()->Deadline();
    for (const auto& connection : connections) next = std::min(next, connection->Deadline());
    const auto wait = std::max(Clock::duration::zero(), next - Clock::now());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return {static_cast<time_t>(seconds.count()),
            static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds).count())};
}

// A kept connection may hold its next request already once an answer is written.
void Advance(TFastCgiConnection& connection, short events, const TFastCgiService& service) {
    if (events & POLLOUT) connection.Flush();
    if (events & (POLLIN | POLLHUP | POLLERR)) connection.Receive();
    while (connection.Ready()) {
        const Clock::time_point start = Clock::now();
        service.Serve(connection);
        connection.FinishRequest(Clock::now() - start);
    }
}

}  // namespace

void ServeConnections(int listenFd, const TFastCgiService& service) {
    const sigset_t waiting = BlockStopSignals();
    SetNonBlocking(listenFd);
    TConnections connections;
    bool stopping = false;
    std::vector<pollfd> fds;
    for (;;) {
        if (StopRequested() && !stopping) {
            stopping = true;
            TakeTheLastConnections(listenFd, connections, service);
        }
        DropDone(connections, service);
        if (stopping && connections.empty()) return;
        const bool accepting = !stopping && connections.size() < static_cast<std::size_t>(FastCgiWorkerConnections);
        fds.clear();
        for (const auto& connection : connections) fds.push_back({connection->Handle(), connection->Events(), 0});
        if (accepting) fds.push_back({listenFd, POLLIN, 0});
        const timespec wait = UntilNextDeadline(connections);
        if (ppoll(fds.data(), fds.size(), &wait, &waiting) <= 0) continue;
        const std::size_t polled = connections.size();
        for (std::size_t i = 0; i < polled; ++i)
            if (fds[i].revents != 0) Advance(*connections[i], fds[i].revents, service);
        if (accepting && fds.back().revents != 0) AcceptOne(listenFd, connections, service);
    }
}

}  // namespace tallyhouse::engine
