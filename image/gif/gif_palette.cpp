// Colour mapping of a frame: palette in order of first appearance, index buffer in row order.
#include "image/gif/gif_palette.h"

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

// The colour of the pixels mapped last, with four pixels of it as three words for comparing runs.
struct TLastColor {
    std::uint32_t rgb = 0;
    int index = -1;
    std::uint32_t fourPixels[3] = {};

    void Set(std::uint32_t newRgb, int newIndex) {
        rgb = newRgb;
        index = newIndex;
        std::uint8_t bytes[12];
        for (int i = 0; i < 12; i += 3) {
            bytes[i] = static_cast<std::uint8_t>(rgb);
            bytes[i + 1] = static_cast<std::uint8_t>(rgb >> 8);
            bytes[i + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
        std::memcpy(fourPixels, bytes, sizeof bytes);
    }
    bool StartsFourPixels(const std::uint8_t* pixel) const {
        std::uint32_t words[3];
        std::memcpy(words, pixel, sizeof words);
        return words[0] == fourPixels[0] && words[1] == fourPixels[1] && words[2] == fourPixels[2];
    }
};

// Maps one row. Runs of one colour, the common case in a chart, go four pixels at a time once a
// pixel has repeated the colour before it.
bool MapRow(const std::uint8_t* pixel, int width, TGifPalette& palette, TLastColor& last, std::uint8_t* out) {
    int x = 0;
    bool inRun = false;
    while (x < width) {
        if (inRun && x + 4 <= width && last.StartsFourPixels(pixel)) {
            std::memset(out + x, last.index, 4);
            x += 4;
            pixel += 12;
            continue;
        }
        const std::uint32_t rgb = pixel[0] | (pixel[1] << 8) | (static_cast<std::uint32_t>(pixel[2]) << 16);
        inRun = rgb == last.rgb && last.index >= 0;
        if (!inRun) {
            const int index = palette.Add(rgb);
            if (index < 0) return false;
            last.Set(rgb, index);
        }
        out[x++] = static_cast<std::uint8_t>(last.index);
        pixel += 3;
    }
    return true;
}

}  // namespace

bool MapGifFrame(const TBitmap& bitmap, bool interlace, TGifPalette& palette, std::vector<std::uint8_t>& indexes) {
    const int width = bitmap.Width();
    indexes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(bitmap.Height()));
    std::uint8_t* out = indexes.data();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    TLastColor last;
    const std::uint8_t* previous = nullptr;
    for (int y : GifRowOrder(bitmap.Height(), interlace)) {
        const std::uint8_t* row = bitmap.Row(y);
        // A row like the one mapped before it (most rows of a chart) takes its indexes.
        if (previous && std::memcmp(row, previous, rowBytes) == 0)
            std::memcpy(out, out - width, static_cast<std::size_t>(width));
        else if (!MapRow(row, width, palette, last, out))
            return false;
        previous = row;
        out += width;
    }
    return true;
}

int GifTransparentIndex(const TGifPalette& palette, const std::vector<std::uint8_t>& indexes, std::uint32_t rgb) {
    const int index = palette.Find(rgb & 0xFFFFFF);
    if (index < 0 || indexes.empty() || std::memchr(indexes.data(), index, indexes.size()) == nullptr) return -1;
    return index;
}
