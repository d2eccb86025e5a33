#include "platform/os/read_up_to.h"

#include <unistd.h>

#include <cerrno>

namespace tallyhouse::platform {

namespace {

// Calls ReadPiece(at, count, done) until size bytes are in, the data ends or a read fails.
template <typename TRead>
ssize_t ReadLoop(void* data, std::size_t size, TRead readPiece) {
    char* at = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = readPiece(at + done, size - done, done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

ssize_t ReadUpTo(int fd, void* data, std::size_t size) {
    return ReadLoop(data, size, [fd](char* at, std::size_t count, std::size_t) { return ::read(fd, at, count); });
}

ssize_t ReadUpToAt(int fd, void* data, std::size_t size, off_t offset) {
    return ReadLoop(data, size, [fd, offset](char* at, std::size_t count, std::size_t done) {
        return ::pread(fd, at, count, offset + static_cast<off_t>(done));
    });
}

}  // namespace tallyhouse::platform
