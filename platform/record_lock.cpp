#include "platform/record_lock.h"

#include <fcntl.h>

#include <cerrno>

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

bool WaitLockRecord(int fd, TLockKind kind, TLockRange range) {
    struct flock lock = Request(TypeOf(kind), range);
    while (fcntl(fd, F_OFD_SETLKW, &lock) != 0)
        if (errno != EINTR) return false;
    return true;
}

void UnlockRecord(int fd, TLockRange range) {
    struct flock lock = Request(F_UNLCK, range);
    fcntl(fd, F_OFD_SETLK, &lock);
}

bool RecordLockedElsewhere(int fd, TLockRange range) {
    struct flock probe = Request(F_WRLCK, range);
    return fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}
