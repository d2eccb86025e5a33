#include "platform/os/random_bytes.h"

#include <sys/random.h>

#include <cerrno>

#include "platform/os/exception.h"

namespace tallyhouse::platform {

void RandomBytes(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = getrandom(bytes + got, size - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Exception("No random bytes: the kernel's random source failed");
        got += static_cast<std::size_t>(n);
    }
}

}  // namespace tallyhouse::platform
