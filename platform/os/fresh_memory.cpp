#include "platform/os/fresh_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tallyhouse::platform {

namespace {

constexpr std::size_t kWorthAsking = 64 * 1024;

std::uintptr_t PageSize() {
    static const auto size = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

void PrepareForWriting(void* data, std::size_t bytes) {
    if (bytes < kWorthAsking) return;
    const std::uintptr_t page = PageSize();
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + page - 1) & ~(page - 1);
    const std::uintptr_t end = (start + bytes) & ~(page - 1);
    if (end <= first) return;
    // Only a request: a kernel without it (before 5.14) or short of memory refuses, and the pages
    // then come one fault at a time as they always did.
    static_cast<void>(madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE));
}

}  // namespace tallyhouse::platform
