// Reading a piece of a file, at its position or at an offset: a short read or a signal only
// means reading on, so callers see fewer bytes only where the data ends.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace tallyhouse::platform {

// The bytes read (less than size only at the end of the data), or -1 with errno set.
ssize_t ReadUpTo(int fd, void* data, std::size_t size);
ssize_t ReadUpToAt(int fd, void* data, std::size_t size, off_t offset);

}  // namespace tallyhouse::platform
