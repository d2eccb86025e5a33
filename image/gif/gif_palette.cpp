// Colour mapping of a frame: palette in order of first appearance, index buffer in row order.
#include "image/gif/gif_palette.h"

#include <cstring>
#include <utility>

namespace tallyhouse::image {

using namespace tallyhouse::platform;

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
        // Bytes R G B R, G B R G, B R G B, each word read lowest byte first.
        fourPixels[0] = rgb | rgb << 24;
        fourPixels[1] = rgb >> 8 | rgb << 16;
        fourPixels[2] = rgb >> 16 | rgb << 8;
    }
    bool StartsFourPixels(const std::uint8_t* pixel) const {
        std::uint32_t words[3];
        std::memcpy(words, pixel, sizeof words);
        return words[0] == fourPixels[0] && words[1] == fourPixels[1] && words[2] == fourPixels[2];
    }
};

// The colour mapped last and the one before it: text and lines on a background switch between
// two colours, and the switch back needs no palette lookup.
struct TLastColors {
    TLastColor last, before;
};

// Maps a stretch of a row. Runs of one colour, the common case in a chart, go four pixels at a
// time once a pixel has repeated the colour before it.
bool MapPixels(const std::uint8_t* pixel, int count, TGifPalette& palette, TLastColors& colors, std::uint8_t* out) {
    TLastColor& last = colors.last;
    int x = 0;
    bool inRun = false;
    while (x < count) {
        if (inRun && x + 4 <= count && last.StartsFourPixels(pixel)) {
            std::memset(out + x, last.index, 4);
            x += 4;
            pixel += 12;
            continue;
        }
        const std::uint32_t rgb = pixel[0] | (pixel[1] << 8) | (static_cast<std::uint32_t>(pixel[2]) << 16);
        inRun = rgb == last.rgb && last.index >= 0;
        if (!inRun) {
            if (rgb == colors.before.rgb && colors.before.index >= 0) {
                std::swap(last, colors.before);
            } else {
                const int index = palette.Add(rgb);
                if (index < 0) return false;
                colors.before = last;
                last.Set(rgb, index);
            }
        }
        out[x++] = static_cast<std::uint8_t>(last.index);
        pixel += 3;
    }
    return true;
}

constexpr int kStretch = 16;

// True when the stretch of kStretch pixels is the same in both rows.
bool SameStretch(const std::uint8_t* a, const std::uint8_t* b) {
    std::uint64_t differ = 0;
    for (std::size_t at = 0; at < kStretch * 3; at += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + at, sizeof x);
        std::memcpy(&y, b + at, sizeof y);
        differ |= x ^ y;
    }
    return differ == 0;
}

// Maps one row. Most of a chart's rows are like the row above them, or much like it: the row, or
// stretches of it, like the row mapped before (above, whose indexes are at outAbove) take its
// indexes.
bool MapRow(const std::uint8_t* row, const std::uint8_t* above, const std::uint8_t* outAbove, int width,
            TGifPalette& palette, TLastColors& colors, std::uint8_t* out) {
    if (above != nullptr && std::memcmp(row, above, static_cast<std::size_t>(width) * 3) == 0) {
        std::memcpy(out, outAbove, static_cast<std::size_t>(width));
        return true;
    }
    int x = 0;
    for (; above != nullptr && x + kStretch <= width; x += kStretch) {
        const std::size_t at = static_cast<std::size_t>(x) * 3;
        if (SameStretch(row + at, above + at))
            std::memcpy(out + x, outAbove + x, kStretch);
        else if (!MapPixels(row + at, kStretch, palette, colors, out + x))
            return false;
    }
    return MapPixels(row + static_cast<std::size_t>(x) * 3, width - x, palette, colors, out + x);
}

}  // namespace

bool MapGifFrame(const TBitmap& bitmap, bool interlace, TGifPalette& palette, TGifIndexes& indexes) {
    const int width = bitmap.Width();
    indexes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(bitmap.Height()));
    std::uint8_t* out = indexes.data();
    TLastColors colors;
    const std::uint8_t* previous = nullptr;
    for (int y : GifRowOrder(bitmap.Height(), interlace)) {
        const std::uint8_t* row = bitmap.Row(y);
        if (!MapRow(row, previous, previous ? out - width : nullptr, width, palette, colors, out)) return false;
        previous = row;
        out += width;
    }
    return true;
}

int GifTransparentIndex(const TGifPalette& palette, const TGifIndexes& indexes, std::uint32_t rgb) {
    const int index = palette.Find(rgb & 0xFFFFFF);
    if (index < 0 || indexes.empty() || std::memchr(indexes.data(), index, indexes.size()) == nullptr) return -1;
    return index;
}

}  // namespace tallyhouse::image
