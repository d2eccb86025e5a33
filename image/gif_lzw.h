// The three layers of GIF image data: the LZW string table, the bit packer and the sub-blocker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/byte_sink.h"

// Cuts a byte stream into sub-blocks of at most 255 bytes, each preceded by its length.
class TGifSubBlocker {
public:
    explicit TGifSubBlocker(TByteSink& sink) : sink_(sink) {}

    void Put(std::uint8_t byte) {
        block_[++length_] = byte;
        if (length_ == MaxLength) Flush();
    }
    void Put(const std::uint8_t* data, std::size_t count);
    // Writes what is pending and the empty sub-block that ends the sequence.
    void Finish();

private:
    static constexpr std::size_t MaxLength = 255;
    void Flush();

    TByteSink& sink_;
    std::array<std::uint8_t, MaxLength + 1> block_{};
    std::size_t length_ = 0;
};

// Packs codes of varying width least significant bit first.
class TGifBitPacker {
public:
    explicit TGifBitPacker(TGifSubBlocker& out) : out_(out) {}

    void Put(unsigned code, int width) {
        pending_ |= static_cast<std::uint32_t>(code) << pendingBits_;
        pendingBits_ += width;
        while (pendingBits_ >= 8) {
            out_.Put(static_cast<std::uint8_t>(pending_));
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
    }
    // Writes the last, partly filled byte.
    void Flush();

private:
    TGifSubBlocker& out_;
    std::uint32_t pending_ = 0;
    int pendingBits_ = 0;
};

// Strings seen so far, keyed by (next index * 4096 + prefix code), in an open-addressed table.
class TGifStringTable {
public:
    static constexpr int Slots = 5119;

    TGifStringTable() : keys_(Slots), codes_(Slots) { Clear(); }
    void Clear();

    // The slot that holds the key, or the slot where it is to be stored (found is false then).
    int Probe(int key, bool& found) const {
        int slot = ((key >> 12) << 4) ^ (key & 0xFFF);
        found = keys_[slot] == key;
        if (found || keys_[slot] < 0) return slot;
        const int step = slot == 0 ? 1 : Slots - slot;
        do {
            slot -= step;
            if (slot < 0) slot += Slots;
            found = keys_[slot] == key;
        } while (!found && keys_[slot] > 0);
        return slot;
    }
    int Code(int slot) const { return codes_[static_cast<std::size_t>(slot)]; }
    void Store(int slot, int key, int code) {
        keys_[static_cast<std::size_t>(slot)] = key;
        codes_[static_cast<std::size_t>(slot)] = static_cast<std::uint16_t>(code);
    }

private:
    std::vector<std::int32_t> keys_;
    std::vector<std::uint16_t> codes_;
};

// Writes the image data block: minimum code size, LZW codes in sub-blocks, empty sub-block.
void WriteGifImageData(const std::uint8_t* indexes, std::size_t count, int colorBits, TByteSink& sink);
