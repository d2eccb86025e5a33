#include "engine/fastcgi/fastcgi_worker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1};

volatile sig_atomic_t stopRequested = 0;

void OnStop(int) { stopRequested = 1; }
void OnAlarm(int) {}

// Without SA_RESTART, so a wait or read that the signal interrupts returns.
void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// Stop signals stay blocked except while the worker waits for work, so one that comes while a
// request is served only takes effect once the request is answered. Returns the mask to wait
// with.
sigset_t BlockStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : kStopSignals) {
        Handle(signal, OnStop);
        sigaddset(&stops, signal);
    }
    Handle(SIGALRM, OnAlarm);
    signal(SIGPIPE, SIG_IGN);
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, &stops, &waiting);
    for (int signal : kStopSignals) sigdelset(&waiting, signal);
    return waiting;
}

// While it lives, SIGALRM interrupts a read that waits longer than HandshakeSeconds: the
// library accepts a connection and reads its parameters before it returns.
class THandshakeTimer {
public:
    THandshakeTimer() { Set(HandshakeSeconds); }
    ~THandshakeTimer() { Set(0); }
    THandshakeTimer(const THandshakeTimer&) = delete;
    THandshakeTimer& operator=(const THandshakeTimer&) = delete;

private:
    static void Set(int seconds) {
        itimerval timer{};
        timer.it_value.tv_sec = seconds;
        timer.it_interval.tv_sec = seconds;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
};

void SetIoTimeouts(int fd) {
    timeval limit{};
    limit.tv_sec = IoTimeoutSeconds;
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

// Workers share the socket: the one that loses the race for a connection gets EAGAIN from
// accept instead of blocking where a stop signal cannot reach it.
void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

enum class TWork { Stop, KeptConnection, NewConnection };

// Waits for the next request: on the connection the server kept open, or a new connection.
TWork WaitForWork(int listenFd, int keptFd, const sigset_t& waiting) {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {keptFd, POLLIN, 0}};
    const nfds_t count = keptFd >= 0 ? 2 : 1;
    while (ppoll(fds, count, nullptr, &waiting) < 0) {
        if (stopRequested) return TWork::Stop;
        if (errno != EINTR) return TWork::NewConnection;
    }
    if (count == 2 && fds[1].revents != 0) return TWork::KeptConnection;
    return TWork::NewConnection;
}

// Errors other than a connection another worker took (too many open files, say) get a pause
// instead of a busy loop.
void PauseAfter(int acceptResult) {
    if (acceptResult != -EAGAIN && acceptResult != -EWOULDBLOCK && acceptResult != -EINTR) usleep(10000);
}

}  // namespace

void ServeConnections(int listenFd, const std::function<void(FCGX_Request&)>& serve) {
    const sigset_t waiting = BlockStopSignals();
    SetNonBlocking(listenFd);
    FCGX_Init();
    FCGX_Request request;
    FCGX_InitRequest(&request, listenFd, FCGI_FAIL_ACCEPT_ON_INTR);
    for (;;) {
        const bool stopping = stopRequested != 0;
        if (!stopping) {
            const TWork work = WaitForWork(listenFd, request.ipcFd, waiting);
            if (work == TWork::Stop) continue;
            // A kept connection without a request gives way to a new one: each worker holds one.
            if (work == TWork::NewConnection && request.ipcFd >= 0) FCGX_Free(&request, 1);
        } else if (request.ipcFd >= 0) {
            FCGX_Free(&request, 1);
        }
        int accepted = 0;
        {
            const THandshakeTimer timer;
            accepted = FCGX_Accept_r(&request);
        }
        if (accepted < 0) {
            if (stopping) break;
            PauseAfter(accepted);
            continue;
        }
        SetIoTimeouts(request.ipcFd);
        serve(request);
        FCGX_Finish_r(&request);
    }
    FCGX_Free(&request, 1);
}
