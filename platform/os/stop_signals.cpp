#include "platform/os/stop_signals.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace tallyhouse::platform {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1};

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnStopSignal(int) { stopRequested.store(true); }

}  // namespace

sigset_t StopSignalSet() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int signal : kStopSignals) sigaddset(&stops, signal);
    return stops;
}

bool IsStopSignal(int signal) { return std::ranges::find(kStopSignals, signal) != std::end(kStopSignals); }

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return stopRequested.load(); }

sigset_t StopSignalsOnlyWhileWaiting() {
    const sigset_t stops = StopSignalSet();
    sigset_t waiting;
    sigprocmask(SIG_BLOCK, &stops, &waiting);
    for (int signal : kStopSignals) sigdelset(&waiting, signal);
    return waiting;
}

}  // namespace tallyhouse::platform
