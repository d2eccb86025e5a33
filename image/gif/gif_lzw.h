// The output layers of GIF image data, the bit packer and the sub-blocker, and the LZW coder
// that drives them (its string table is in gif_string_table.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/gif/byte_sink.h"

namespace tallyhouse::image {

// Cuts a byte stream into sub-blocks of at most 255 bytes, each preceded by its length. Bytes
// are gathered and handed to the sink a few sub-blocks at a time.
class TGifSubBlocker {
public:
    explicit TGifSubBlocker(TByteSink& sink) : sink_(sink) {}

    void Put(std::uint8_t byte) {
        raw_[count_++] = byte;
        if (count_ >= Batch) Drain();
    }
    // Four bytes, the lowest first.
    void PutWord(std::uint32_t word) {
        std::uint8_t* out = raw_.data() + count_;
        out[0] = static_cast<std::uint8_t>(word);
        out[1] = static_cast<std::uint8_t>(word >> 8);
        out[2] = static_cast<std::uint8_t>(word >> 16);
        out[3] = static_cast<std::uint8_t>(word >> 24);
        count_ += 4;
        if (count_ >= Batch) Drain();
    }
    void Put(const std::uint8_t* data, std::size_t count);
    // Writes what is pending and the empty sub-block that ends the sequence.
    void Finish();

private:
    static constexpr std::size_t MaxLength = 255;
    static constexpr std::size_t Batch = 16 * MaxLength;
    // Writes every full sub-block gathered so far; the rest waits at the front.
    void Drain();
    void WriteBlock(const std::uint8_t* data, std::size_t length);

    TByteSink& sink_;
    std::array<std::uint8_t, Batch + 4> raw_{};
    std::size_t count_ = 0;
    std::array<std::uint8_t, MaxLength + 1> block_{};
};

// Packs codes of varying width least significant bit first.
class TGifBitPacker {
public:
    explicit TGifBitPacker(TGifSubBlocker& out) : out_(out) {}

    void Put(unsigned code, int width) {
        pending_ |= static_cast<std::uint64_t>(code) << pendingBits_;
        pendingBits_ += width;
        if (pendingBits_ >= 32) {
            out_.PutWord(static_cast<std::uint32_t>(pending_));
            pending_ >>= 32;
            pendingBits_ -= 32;
        }
    }
    // Writes the bits still pending, the last byte filled up with zeros.
    void Flush();

private:
    TGifSubBlocker& out_;
    std::uint64_t pending_ = 0;
    int pendingBits_ = 0;
};

// Writes the image data block: minimum code size, LZW codes in sub-blocks, empty sub-block.
void WriteGifImageData(const std::uint8_t* indexes, std::size_t count, int colorBits, TByteSink& sink);

}  // namespace tallyhouse::image
