// Writing a whole piece of bytes to a descriptor: a short write or a signal only means writing
// on, so callers see all written or a failure.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace tallyhouse::platform {

// True when every byte went out; false with errno set (ENOSPC when the file took no more).
bool WriteAll(int fd, const void* data, std::size_t size);
// The same at a file offset (pwrite), leaving the descriptor's position alone.
bool WriteAllAt(int fd, const void* data, std::size_t size, off_t offset);

}  // namespace tallyhouse::platform
