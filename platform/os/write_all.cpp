#include "platform/os/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace tallyhouse::platform {

namespace {

// Calls Put for what is left until all is out; Put returns what write(2) or pwrite(2) does.
template <typename PutFunction>
bool PutAll(const void* data, std::size_t size, PutFunction put) {
    const char* at = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = put(at + done, size - done, done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
    return PutAll(data, size, [fd](const char* bytes, std::size_t count, std::size_t) { return ::write(fd, bytes, count); });
}

bool WriteAllAt(int fd, const void* data, std::size_t size, off_t offset) {
    return PutAll(data, size, [fd, offset](const char* bytes, std::size_t count, std::size_t done) {
        return ::pwrite(fd, bytes, count, offset + static_cast<off_t>(done));
    });
}

}  // namespace tallyhouse::platform
