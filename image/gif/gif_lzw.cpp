// GIF's variable-length-code LZW over a frame's index buffer.
#include "image/gif/gif_lzw.h"

#include "image/gif/gif_string_table.h"

#include <algorithm>
#include <memory>

namespace tallyhouse::image {

void TGifSubBlocker::Put(const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(data[i]);
}

void TGifSubBlocker::WriteBlock(const std::uint8_t* data, std::size_t length) {
    block_[0] = static_cast<std::uint8_t>(length);
    std::copy(data, data + length, block_.begin() + 1);
    sink_.Write(block_.data(), length + 1);
}

void TGifSubBlocker::Drain() {
    std::size_t done = 0;
    for (; count_ - done >= MaxLength; done += MaxLength) WriteBlock(raw_.data() + done, MaxLength);
    std::copy(raw_.begin() + static_cast<std::ptrdiff_t>(done), raw_.begin() + static_cast<std::ptrdiff_t>(count_),
              raw_.begin());
    count_ -= done;
}

void TGifSubBlocker::Finish() {
    Drain();
    if (count_ > 0) WriteBlock(raw_.data(), count_);
    count_ = 0;
    const std::uint8_t terminator = 0;
    sink_.Write(&terminator, 1);
}

void TGifBitPacker::Flush() {
    for (; pendingBits_ > 0; pendingBits_ -= 8) {
        out_.Put(static_cast<std::uint8_t>(pending_));
        pending_ >>= 8;
    }
    pending_ = 0;
    pendingBits_ = 0;
}

namespace {

constexpr int MaxCodeWidth = 12;
constexpr int CodeLimit = 1 << MaxCodeWidth;

// Code numbering and width: the width grows once the next free code no longer fits, and both
// restart after a clear code. Kept in a local object so the hot loop holds it in registers.
struct TCodeState {
    int codeSize, clear, freeCode, width, maxCode;

    explicit TCodeState(int size) : codeSize(size), clear(1 << size) { Restart(); }
    void Restart() {
        freeCode = clear + 2;
        width = codeSize + 1;
        maxCode = (1 << width) - 1;
    }
    void Write(TGifBitPacker& packer, int code) {
        packer.Put(static_cast<unsigned>(code), width);
        if (freeCode > maxCode && width < MaxCodeWidth) maxCode = (1 << ++width) - 1;
    }
};

// Each index extends the current string while the table knows the longer one; otherwise the
// string's code is written and the longer string entered, or the full table cleared. Steps the
// table remembers are taken without a lookup, and runs from a single index in one step.
void EncodeIndexes(const std::uint8_t* indexes, std::size_t count, int codeSize, TGifBitPacker& packer) {
    TCodeState codes(codeSize);
    auto table = std::make_unique<TGifStrings>(codes.clear + 2);
    codes.Write(packer, codes.clear);
    if (count == 0) {
        codes.Write(packer, codes.clear + 1);
        return;
    }
    int prefix = indexes[0];
    for (std::size_t i = 1; i < count;) {
        if (prefix >= codes.clear && table->Plain()) {
            i = table->FollowSteps(prefix, indexes, i, count);
            if (i == count) break;
        }
        const int next = indexes[i];
        const int key = (next << 12) | prefix;
        const int code = table->Find(key);
        if (code >= 0) {
            // A single index found repeated starts a run, taken whole.
            if (next == prefix && table->Plain()) {
                i = table->FollowRun(prefix, indexes, i, count);
            } else {
                prefix = code;
                ++i;
            }
            continue;
        }
        codes.Write(packer, prefix);
        if (codes.freeCode < CodeLimit) {
            table->Add(key, codes.freeCode++);
        } else {
            packer.Put(static_cast<unsigned>(codes.clear), codes.width);
            table->Clear();
            codes.Restart();
        }
        prefix = next;
        ++i;
    }
    codes.Write(packer, prefix);
    codes.Write(packer, codes.clear + 1);
}

}  // namespace

void WriteGifImageData(const std::uint8_t* indexes, std::size_t count, int colorBits, TByteSink& sink) {
    const int codeSize = std::max(colorBits, 2);
    const std::uint8_t sizeByte = static_cast<std::uint8_t>(codeSize);
    sink.Write(&sizeByte, 1);
    TGifSubBlocker blocks(sink);
    TGifBitPacker packer(blocks);
    EncodeIndexes(indexes, count, codeSize, packer);
    packer.Flush();
    blocks.Finish();
}

}  // namespace tallyhouse::image
