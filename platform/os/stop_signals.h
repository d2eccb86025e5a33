// The signals that ask a long-running process to stop (the resident server and the request
// processes waiting for it, a FastCGI pool and its workers): SIGTERM, SIGINT, SIGHUP, SIGUSR1.
#pragma once

#include <signal.h>

namespace tallyhouse::platform {

// The stop signals as a set, to block them or to wait for one.
sigset_t StopSignalSet();
bool IsStopSignal(int signal);
// From now on a stop signal only records that it came, for the process's loops to look at
// (StopRequested), instead of ending the process where it is.
void CatchStopSignals();
bool StopRequested();
// Blocks the stop signals and returns the mask to wait with (ppoll), which lets them in: one
// that comes while the process works takes effect only once it waits again.
sigset_t StopSignalsOnlyWhileWaiting();

}  // namespace tallyhouse::platform
