// Bytes from the kernel's random source, for keys and identifiers no one may guess.
#pragma once

#include <cstddef>

namespace tallyhouse::platform {

// Fills the buffer; raises Exception when the kernel's random source fails.
void RandomBytes(void* buffer, std::size_t size);

}  // namespace tallyhouse::platform
