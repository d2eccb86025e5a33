#include "platform/os/record_lock.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace tallyhouse::platform {

namespace {

struct flock Request(short type, TLockRange range) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = range.Start;
    lock.l_len = range.Length;
    return lock;
}

short TypeOf(TLockKind kind) { return kind == TLockKind::Shared ? F_RDLCK : F_WRLCK; }

}  // namespace

bool TryLockRecord(int fd, TLockKind kind, TLockRange range) {
    struct flock lock = Request(TypeOf(kind), range);
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Linux has no lock call with a time limit, and a timer signal would reach any thread of a web
// server that loaded the library: the wait polls instead.
TLockWait WaitLockRecord(int fd, TLockKind kind, std::chrono::milliseconds limit, TLockRange range) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::microseconds kLongestPause{20000};
    const Clock::time_point deadline = Clock::now() + limit;
    std::chrono::microseconds pause{250};
    for (;;) {
        struct flock lock = Request(TypeOf(kind), range);
        if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return TLockWait::Locked;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) return TLockWait::Failed;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return TLockWait::TimedOut;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, kLongestPause);
    }
}

void UnlockRecord(int fd, TLockRange range) {
    struct flock lock = Request(F_UNLCK, range);
    fcntl(fd, F_OFD_SETLK, &lock);
}

bool RecordLockedElsewhere(int fd, TLockRange range) {
    struct flock probe = Request(F_WRLCK, range);
    return fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

}  // namespace tallyhouse::platform
