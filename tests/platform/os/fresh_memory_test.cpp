#include "platform/os/fresh_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace tallyhouse::platform;

// Asking for the pages of a range never changes a byte, inside it or beside it, whatever its
// size and alignment; and the allocator's buffers hold what is written to them.
TEST(FreshMemory, PreparingARangeKeepsEveryByte) {
    for (const std::size_t offset : {0u, 1u, 4095u}) {
        for (const std::size_t bytes : {0u, 1u, 65535u, 65536u, 65536u + 4097u, 300000u}) {
            std::vector<std::uint8_t> buffer(offset + bytes + 8192);
            for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 7 + 3);
            const std::vector<std::uint8_t> before = buffer;
            PrepareForWriting(buffer.data() + offset, bytes);
            EXPECT_EQ(buffer, before) << "offset " << offset << ", " << bytes << " bytes";
        }
    }
    std::vector<std::uint8_t, TWrittenWholeAllocator<std::uint8_t>> pixels(300000, 0xAB);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xAB), 300000);
}
