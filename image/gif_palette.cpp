// Colour mapping of a frame: palette in order of first appearance, index buffer in row order.
#include "image/gif_palette.h"

#include <cstring>

int GifColorBits(int count) {
    int bits = 1;
    while (bits < 8 && (1 << bits) < count) ++bits;
    return bits;
}

void TGifPalette::Reset() {
    colors_.fill(0);
    count_ = 0;
    slotColor_.fill(EmptySlot);
}

int TGifPalette::Find(std::uint32_t rgb) const {
    for (std::size_t slot = FirstSlot(rgb);; slot = (slot + 1) % LookupSlots) {
        if (slotColor_[slot] == rgb) return slotIndex_[slot];
        if (slotColor_[slot] == EmptySlot) return -1;
    }
}

int TGifPalette::Add(std::uint32_t rgb) {
    std::size_t slot = FirstSlot(rgb);
    for (; slotColor_[slot] != EmptySlot; slot = (slot + 1) % LookupSlots) {
        if (slotColor_[slot] == rgb) return slotIndex_[slot];
    }
    if (count_ == MaxColors) return -1;
    colors_[static_cast<std::size_t>(count_)] = rgb;
    slotColor_[slot] = rgb;
    slotIndex_[slot] = static_cast<std::uint8_t>(count_);
    return count_++;
}

std::vector<std::uint8_t> TGifPalette::TableBytes() const {
    std::vector<std::uint8_t> table(static_cast<std::size_t>(3 << Bits()), 0);
    for (int i = 0; i < count_; ++i) {
        const std::uint32_t c = Color(i);
        std::uint8_t* entry = table.data() + 3 * i;
        entry[0] = static_cast<std::uint8_t>(c);
        entry[1] = static_cast<std::uint8_t>(c >> 8);
        entry[2] = static_cast<std::uint8_t>(c >> 16);
    }
    return table;
}

std::vector<int> GifRowOrder(int height, bool interlace) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height > 0 ? height : 0));
    if (!interlace) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr int Start[4] = {0, 4, 2, 1};
    static constexpr int Step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = Start[pass]; y < height; y += Step[pass]) rows.push_back(y);
    }
    return rows;
}

namespace {

// Maps one row; runs of one colour, the common case in a chart, cost one comparison a pixel.
bool MapRow(const std::uint8_t* pixel, int width, TGifPalette& palette, std::uint32_t& lastRgb, int& lastIndex,
            std::uint8_t* out) {
    for (int x = 0; x < width; ++x, pixel += 3) {
        const std::uint32_t rgb = pixel[0] | (pixel[1] << 8) | (static_cast<std::uint32_t>(pixel[2]) << 16);
        if (rgb != lastRgb || lastIndex < 0) {
            lastIndex = palette.Add(rgb);
            if (lastIndex < 0) return false;
            lastRgb = rgb;
        }
        out[x] = static_cast<std::uint8_t>(lastIndex);
    }
    return true;
}

}  // namespace

bool MapGifFrame(const TBitmap& bitmap, bool interlace, TGifPalette& palette, std::vector<std::uint8_t>& indexes) {
    const int width = bitmap.Width();
    indexes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(bitmap.Height()));
    std::uint8_t* out = indexes.data();
    std::uint32_t lastRgb = 0;
    int lastIndex = -1;
    for (int y : GifRowOrder(bitmap.Height(), interlace)) {
        if (!MapRow(bitmap.Row(y), width, palette, lastRgb, lastIndex, out)) return false;
        out += width;
    }
    return true;
}

int GifTransparentIndex(const TGifPalette& palette, const std::vector<std::uint8_t>& indexes, std::uint32_t rgb) {
    const int index = palette.Find(rgb & 0xFFFFFF);
    if (index < 0 || indexes.empty() || std::memchr(indexes.data(), index, indexes.size()) == nullptr) return -1;
    return index;
}
