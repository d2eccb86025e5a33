// Record locks on open files, all of one kind: open-file-description locks. They belong to the
// open file rather than to the process, so two threads of one process that each open a file
// exclude each other just as two processes do, and closing one descriptor never drops a lock
// that another descriptor of the same process holds.
#pragma once

#include <sys/types.h>

#include <chrono>

namespace tallyhouse::platform {

enum class TLockKind { Shared, Exclusive };

// A byte range of a file; a length of 0 reaches to the end of the file, however long it grows.
struct TLockRange {
    off_t Start = 0;
    off_t Length = 0;
};

// Takes the lock without waiting; false when another open file holds a conflicting one.
bool TryLockRecord(int fd, TLockKind kind, TLockRange range = {});
enum class TLockWait { Locked, TimedOut, Failed };

// Waits up to limit for the lock, so no holder (another user's process among them) can keep
// the caller waiting for ever; Failed with errno set when the lock cannot be had at all. The
// wait retries at growing intervals of at most 20 ms.
TLockWait WaitLockRecord(int fd, TLockKind kind, std::chrono::milliseconds limit, TLockRange range = {});
void UnlockRecord(int fd, TLockRange range = {});
// True when another open file holds a lock that would conflict with an exclusive one.
bool RecordLockedElsewhere(int fd, TLockRange range = {});

}  // namespace tallyhouse::platform
