// The colour table of a GIF being written: colours in order of first appearance, at most 256.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/raster/bitmap.h"

namespace tallyhouse::image {

// Number of bits for a table of the given number of colours: 1 for up to 2, ... 8 for up to 256.
int GifColorBits(int count);

class TGifPalette {
public:
    static constexpr int MaxColors = 256;

    TGifPalette() { Reset(); }
    void Reset();

    int Count() const { return count_; }
    int Bits() const { return GifColorBits(count_); }
    // Colours in TColor layout (red in the low byte).
    std::uint32_t Color(int index) const { return colors_[static_cast<std::size_t>(index)]; }

    // The entry of the colour, appended when new; -1 when it would be the 257th entry.
    int Add(std::uint32_t rgb);
    // The entry of the colour, or -1 when it has not been found yet.
    int Find(std::uint32_t rgb) const;

    // The table as written: 2^Bits() entries of red, green, blue, black past the colours found.
    std::vector<std::uint8_t> TableBytes() const;

private:
    static constexpr std::size_t LookupSlots = 1024;
    static constexpr std::uint32_t EmptySlot = 0xFFFFFFFFu;
    static std::size_t FirstSlot(std::uint32_t rgb) { return (rgb * 2654435761u) >> 22; }

    std::array<std::uint32_t, MaxColors> colors_{};
    int count_ = 0;
    // Exact-match lookup beside the ordered entries: the same answer as a search in order,
    // since every colour is entered once.
    std::array<std::uint32_t, LookupSlots> slotColor_{};
    std::array<std::uint8_t, LookupSlots> slotIndex_{};
};

// Gives elements that start uninitialised: the mapping writes every index of its buffer, so
// clearing the buffer first would only cost time.
template <class T>
struct TUninitialisedAllocator : std::allocator<T> {
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0)
            ::new (static_cast<void*>(p)) U;
        else
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A frame's palette entries, rows in writing order.
using TGifIndexes = std::vector<std::uint8_t, TUninitialisedAllocator<std::uint8_t>>;

// Row numbers in the order they are written: top to bottom, or the four interlaced passes.
std::vector<int> GifRowOrder(int height, bool interlace);

// Maps every pixel of the bitmap, rows in writing order, to its palette entry. False when the
// palette would need more than 256 entries.
bool MapGifFrame(const platform::TBitmap& bitmap, bool interlace, TGifPalette& palette, TGifIndexes& indexes);

// The entry of the colour when a mapped pixel of this frame has it, else -1.
int GifTransparentIndex(const TGifPalette& palette, const TGifIndexes& indexes, std::uint32_t rgb);

}  // namespace tallyhouse::image
