// GIF's variable-length-code LZW over a frame's index buffer.
#include "image/gif_lzw.h"

#include <algorithm>

void TGifSubBlocker::Put(const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(data[i]);
}

void TGifSubBlocker::Flush() {
    if (length_ == 0) return;
    block_[0] = static_cast<std::uint8_t>(length_);
    sink_.Write(block_.data(), length_ + 1);
    length_ = 0;
}

void TGifSubBlocker::Finish() {
    Flush();
    const std::uint8_t terminator = 0;
    sink_.Write(&terminator, 1);
}

void TGifBitPacker::Flush() {
    if (pendingBits_ > 0) out_.Put(static_cast<std::uint8_t>(pending_));
    pending_ = 0;
    pendingBits_ = 0;
}

void TGifStringTable::Clear() { std::fill(keys_.begin(), keys_.end(), -1); }

namespace {

constexpr int MaxCodeWidth = 12;
constexpr int CodeLimit = 1 << MaxCodeWidth;

// The code state shared by every step: widths grow as codes are handed out, and restart at a clear.
class TLzwEncoder {
public:
    TLzwEncoder(int codeSize, TGifBitPacker& packer)
        : codeSize_(codeSize), clear_(1 << codeSize), packer_(packer) {
        Restart();
    }

    void Encode(const std::uint8_t* indexes, std::size_t count) {
        WriteCode(clear_);
        if (count > 0) {
            int prefix = indexes[0];
            for (std::size_t i = 1; i < count; ++i) prefix = Extend(prefix, indexes[i]);
            WriteCode(prefix);
        }
        WriteCode(clear_ + 1);
    }

private:
    void Restart() {
        table_.Clear();
        freeCode_ = clear_ + 2;
        width_ = codeSize_ + 1;
        maxCode_ = (1 << width_) - 1;
    }

    void WriteCode(int code) {
        packer_.Put(static_cast<unsigned>(code), width_);
        if (freeCode_ > maxCode_ && width_ < MaxCodeWidth) maxCode_ = (1 << ++width_) - 1;
    }

    // The code of prefix + next when the table knows it; otherwise writes the prefix, enters the
    // new string (or clears the full table) and starts again from the next index.
    int Extend(int prefix, int next) {
        const int key = (next << 12) | prefix;
        bool found = false;
        const int slot = table_.Probe(key, found);
        if (found) return table_.Code(slot);
        WriteCode(prefix);
        if (freeCode_ < CodeLimit) {
            table_.Store(slot, key, freeCode_++);
        } else {
            packer_.Put(static_cast<unsigned>(clear_), width_);
            Restart();
        }
        return next;
    }

    const int codeSize_;
    const int clear_;
    TGifBitPacker& packer_;
    TGifStringTable table_;
    int freeCode_ = 0;
    int width_ = 0;
    int maxCode_ = 0;
};

}  // namespace

void WriteGifImageData(const std::uint8_t* indexes, std::size_t count, int colorBits, TByteSink& sink) {
    const int codeSize = std::max(colorBits, 2);
    const std::uint8_t sizeByte = static_cast<std::uint8_t>(codeSize);
    sink.Write(&sizeByte, 1);
    TGifSubBlocker blocks(sink);
    TGifBitPacker packer(blocks);
    TLzwEncoder(codeSize, packer).Encode(indexes, count);
    packer.Flush();
    blocks.Finish();
}
