// Block walker and LZW code counter for the GIF tests.
#include "tests/image/gif/gif_structure.h"

#include <algorithm>

namespace giftest {

namespace {

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool Has(std::size_t n) const { return position_ + n <= bytes_.size(); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(bytes_[position_++]); }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> out(bytes_.begin() + static_cast<long>(position_),
                                      bytes_.begin() + static_cast<long>(position_ + n));
        position_ += n;
        return out;
    }
    bool AtEnd() const { return position_ == bytes_.size(); }

private:
    const std::string& bytes_;
    std::size_t position_ = 0;
};

bool ReadSubBlocks(Reader& in, GifBlock& block) {
    for (;;) {
        if (!in.Has(1)) return false;
        const std::size_t length = in.Byte();
        if (length == 0) return true;
        if (!in.Has(length)) return false;
        block.subBlockLengths.push_back(length);
        for (std::uint8_t b : in.Bytes(length)) block.data.push_back(static_cast<char>(b));
    }
}

bool ReadExtension(Reader& in, GifBlock& block) {
    if (!in.Has(1)) return false;
    block.label = in.Byte();
    if (block.label == 0xF9 || block.label == 0xFF) {
        if (!in.Has(1)) return false;
        const std::size_t length = in.Byte();
        if (!in.Has(length)) return false;
        block.fixed = in.Bytes(length);
    }
    return ReadSubBlocks(in, block);
}

bool ReadImage(Reader& in, GifBlock& block) {
    block.image = true;
    if (!in.Has(9)) return false;
    block.fixed = in.Bytes(9);
    const std::uint8_t flags = block.fixed[8];
    if (flags & 0x80) {
        const std::size_t size = 3u << ((flags & 7) + 1);
        if (!in.Has(size)) return false;
        block.localTable = in.Bytes(size);
    }
    if (!in.Has(1)) return false;
    block.minCodeSize = in.Byte();
    return ReadSubBlocks(in, block);
}

GifStructure Fail(GifStructure result, const std::string& error) {
    result.ok = false;
    result.error = error;
    return result;
}

}  // namespace

GifStructure ParseGifStructure(const std::string& bytes) {
    GifStructure result;
    Reader in(bytes);
    if (!in.Has(13) || bytes.compare(0, 6, "GIF89a") != 0) return Fail(result, "no GIF89a header");
    in.Bytes(6);
    result.screen = in.Bytes(7);
    if (result.screen[4] & 0x80) {
        const std::size_t size = 3u << ((result.screen[4] & 7) + 1);
        if (!in.Has(size)) return Fail(result, "short global table");
        result.globalTable = in.Bytes(size);
    }
    while (in.Has(1)) {
        const std::uint8_t introducer = in.Byte();
        if (introducer == 0x3B) {
            if (!in.AtEnd()) return Fail(result, "bytes after the trailer");
            result.ok = true;
            return result;
        }
        GifBlock block;
        const bool read = introducer == 0x21 ? ReadExtension(in, block) : introducer == 0x2C && ReadImage(in, block);
        if (!read) return Fail(result, "bad block");
        result.blocks.push_back(std::move(block));
    }
    return Fail(result, "no trailer");
}

LzwCodeStats ScanLzwCodes(const std::string& data, int minCodeSize) {
    LzwCodeStats stats;
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, next = clear + 2;
    bool first = true;
    std::size_t bit = 0;
    const std::size_t totalBits = data.size() * 8;
    while (bit + static_cast<std::size_t>(width) <= totalBits) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
        ++stats.codes;
        stats.maxWidth = std::max(stats.maxWidth, width);
        if (code == clear) {
            ++stats.clearCodes;
            width = minCodeSize + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (code == clear + 1) {
            stats.endCode = true;
            stats.bitsLeft = totalBits - bit;
            stats.ok = stats.clearCodes > 0;
            if (!stats.ok) stats.error = "no clear code first";
            return stats;
        }
        if (code > next || (first && code >= clear)) {
            stats.error = "undefined code " + std::to_string(code) + " at code " + std::to_string(stats.codes);
            return stats;
        }
        if (!first && next < 4096) ++next;
        first = false;
        if (next == (1 << width) && width < 12) ++width;
    }
    stats.error = "no end code";
    return stats;
}

}  // namespace giftest
