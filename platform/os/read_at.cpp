#include "platform/os/read_at.h"

#include <unistd.h>

#include <cerrno>

ssize_t ReadUpToAt(int fd, void* data, std::size_t size, off_t offset) {
    char* at = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, at + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
