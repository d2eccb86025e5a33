// The signal handlers only set a flag that the polling loops look at.
#include "engine/resident/close_signals.h"

#include <signal.h>

#include <atomic>

namespace {

std::atomic<bool> closeRequested{false};

void OnCloseSignal(int) { closeRequested.store(true); }

}  // namespace

void InstallCloseSignals() {
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool CloseRequested() { return closeRequested.load(); }
