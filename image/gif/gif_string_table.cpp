// The switch from the fast dictionary to the reference string table, and runs taken whole.
#include "image/gif/gif_string_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tallyhouse::image {

namespace {

static_assert(std::endian::native == std::endian::little, "the first differing byte is the lowest");

// How many of the first limit bytes equal value, a machine word at a time.
std::size_t SameBytes(const std::uint8_t* bytes, std::size_t limit, std::uint8_t value) {
    const std::uint64_t pattern = 0x0101010101010101ull * value;
    std::size_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + n, sizeof word);
        if (const std::uint64_t differ = word ^ pattern) return n + static_cast<std::size_t>(std::countr_zero(differ)) / 8;
    }
    while (n < limit && bytes[n] == value) ++n;
    return n;
}

}  // namespace

void TGifStrings::Clear() {
    entries_.fill(Empty);
    std::fill_n(recent_.begin(), firstCode_, NoRecent);
    slotZeroTaken_ = false;
    reference_ = nullptr;
    for (std::size_t index = 0; index < runs_.size(); ++index) runs_[index].assign(1, static_cast<std::uint16_t>(index));
}

// Runs the table held when asked before are remembered; a longer one is asked for.
std::size_t TGifStrings::FollowRun(int& prefix, const std::uint8_t* indexes, std::size_t i, std::size_t count) {
    const auto index = static_cast<std::uint8_t>(prefix);
    std::vector<std::uint16_t>& codes = runs_[index];
    std::size_t taken = SameBytes(indexes + i, std::min(codes.size() - 1, count - i), index);
    while (taken + 1 == codes.size() && i + taken < count && indexes[i + taken] == index) {
        const int code = Find((index << 12) | codes.back());
        if (code < 0) break;
        codes.push_back(static_cast<std::uint16_t>(code));
        ++taken;
    }
    prefix = codes[taken];
    return i + taken;
}

int TGifStrings::FindInReference(int key) {
    bool found = false;
    pending_ = reference_->Probe(key, found);
    return found ? reference_->Code(pending_) : -1;
}

// Slot 0 of the reference table is the first slot of key 0 and of the keys whose prefix is 16
// times their next index; no later probe reaches it. Key 0 arriving when it is taken goes to a
// later probe, where the reference table's rule starts to matter.
void TGifStrings::NoteSlotZero(int key, int code) {
    if (reference_ || key != 0 || !slotZeroTaken_) {
        slotZeroTaken_ = true;
        return;
    }
    if (referenceTable_)
        referenceTable_->Clear();
    else
        referenceTable_ = std::make_unique<TGifStringTable>();
    TGifStringTable& table = *referenceTable_;
    // Every string since the clear is in the fast table; the reference table takes them in
    // code order.
    std::vector<int> keys(static_cast<std::size_t>(code - firstCode_));
    for (const std::uint32_t entry : entries_)
        if (entry != Empty) keys[(entry & 0xFFF) - static_cast<std::uint32_t>(firstCode_)] = static_cast<int>(entry >> 12);
    bool found = false;
    for (int c = firstCode_; c < code; ++c) {
        const int stored = keys[static_cast<std::size_t>(c - firstCode_)];
        table.Store(table.Probe(stored, found), stored, c);
    }
    reference_ = &table;
    pending_ = table.Probe(key, found);
}

}  // namespace tallyhouse::image
