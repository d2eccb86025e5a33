// The LZW string table: strings are keys (next index * 4096 + prefix code) mapped to codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tallyhouse::image {

// The reference table: open addressing over 5119 slots with a fixed probing rule. Its one
// departure from a plain dictionary shapes the codes written: a string of key 0 stored at a
// probe after the first is treated as a free slot by later probes, so a new string can take its
// place and the string is forgotten.
class TGifStringTable {
public:
    static constexpr int Slots = 5119;

    TGifStringTable() { Clear(); }
    void Clear() { keys_.fill(-1); }

    // The slot holding the key, or the slot where it is to be stored (found is false then). The
    // first slot counts as taken unless empty; a further probe also stops at a key of 0.
    int Probe(int key, bool& found) const {
        int slot = FirstSlot(key);
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
    static int FirstSlot(int key) { return ((key >> 12) << 4) ^ (key & 0xFFF); }
    int Code(int slot) const { return codes_[slot]; }
    void Store(int slot, int key, int code) {
        keys_[slot] = key;
        codes_[slot] = static_cast<std::uint16_t>(code);
    }

private:
    std::array<std::int32_t, Slots> keys_;
    std::array<std::uint16_t, Slots> codes_;
};

// The table the coder uses: the answers of the reference table, faster. A plain dictionary with
// fewer collisions gives the same answers until a string of key 0 lands on a later probe, which
// happens only when slot 0 is already taken. From then until the next clear, the reference table
// is rebuilt from the strings entered so far (in code order, which is the order they came) and
// answers instead.
class TGifStrings {
public:
    explicit TGifStrings(int firstCode) : firstCode_(firstCode), runs_(static_cast<std::size_t>(firstCode - 2)) { Clear(); }
    void Clear();
    // True while every string entered since the last clear is still held (no string forgotten).
    bool Plain() const { return reference_ == nullptr; }

    // The code of the string, or -1 when it is new; remembers where a new one goes.
    int Find(int key) {
        if (reference_) return FindInReference(key);
        const std::uint32_t prefix = static_cast<std::uint32_t>(key) & 0xFFF;
        const std::uint32_t next = static_cast<std::uint32_t>(key) >> 12;
        const std::uint32_t recent = recent_[prefix];
        if (recent >> 16 == next) return static_cast<int>(recent & 0xFFFF);
        const std::uint32_t wanted = static_cast<std::uint32_t>(key) << 12;
        std::uint32_t slot = Hash(key);
        for (;; slot = (slot + 1) & (Slots - 1)) {
            const std::uint32_t entry = entries_[slot];
            if (entry - wanted - MinCode < 4096 - MinCode) {
                recent_[prefix] = (next << 16) | (entry & 0xFFF);
                return static_cast<int>(entry & 0xFFF);
            }
            if (entry == Empty) break;
        }
        pending_ = static_cast<int>(slot);
        return -1;
    }
    // Enters the string last asked for with Find, which was not found.
    void Add(int key, int code) {
        if (TGifStringTable::FirstSlot(key) == 0) NoteSlotZero(key, code);
        recent_[static_cast<std::size_t>(code)] = NoRecent;
        if (reference_) {
            reference_->Store(pending_, key, code);
            return;
        }
        entries_[pending_] = (static_cast<std::uint32_t>(key) << 12) | static_cast<std::uint32_t>(code);
        recent_[key & 0xFFF] = (static_cast<std::uint32_t>(key) >> 12 << 16) | static_cast<std::uint32_t>(code);
    }

    // Only while Plain: from the string in prefix, takes the indexes while each is the step last
    // taken from the string before it, without a lookup. Returns the position after the last one
    // taken and leaves that string's code in prefix. Most steps through a picture repeat the
    // step before.
    std::size_t FollowSteps(int& prefix, const std::uint8_t* indexes, std::size_t i, std::size_t count) const {
        std::uint32_t code = static_cast<std::uint32_t>(prefix);
        for (; i < count; ++i) {
            const std::uint32_t step = recent_[code];
            if (step >> 16 != indexes[i]) break;
            code = step & 0xFFFF;
        }
        prefix = static_cast<int>(code);
        return i;
    }

    // Only while Plain: from the single index in prefix, which repeats at position i (below
    // count), takes the indexes while they repeat it into runs the table holds. Returns the
    // position after the last one taken and leaves the longest such run's code in prefix. A chart
    // is mostly long runs of one colour, taken here in one step instead of an index at a time.
    std::size_t FollowRun(int& prefix, const std::uint8_t* indexes, std::size_t i, std::size_t count);

private:
    // A slot holds key * 4096 + code, 0 when empty. Codes start at 6 (a clear code of at least 4,
    // plus 2), so a slot holds a key exactly when it exceeds key * 4096 by 6 to 4095.
    static constexpr std::uint32_t Slots = 8192;
    static constexpr std::uint32_t Empty = 0;
    static constexpr std::uint32_t MinCode = 6;
    // The next index is known ahead of the lookup, so its share of the hash may cost more; the
    // prefix code comes from the lookup before and gets a one-step spread.
    static std::uint32_t Hash(int key) {
        const std::uint32_t next = static_cast<std::uint32_t>(key) >> 12;
        const std::uint32_t prefix = static_cast<std::uint32_t>(key) & 0xFFF;
        return ((next * 2654435761u) >> 19 ^ prefix * 9) & (Slots - 1);
    }

    int FindInReference(int key);
    void NoteSlotZero(int key, int code);

    const int firstCode_;
    bool slotZeroTaken_ = false;
    int pending_ = 0;
    TGifStringTable* reference_ = nullptr;
    std::array<std::uint32_t, Slots> entries_;
    // Per prefix code, the last string found or entered with it (next index * 65536 + code):
    // runs of a picture repeat the same steps, and this answers them with one look. Only the
    // codes in use are set: the single indexes at a clear, every other code when it is entered.
    static constexpr std::uint32_t NoRecent = 0xFFFFFFFFu;
    std::array<std::uint32_t, 4096> recent_;
    // Made on the first switch only: most pictures never need it.
    std::unique_ptr<TGifStringTable> referenceTable_;
    // Per index: the codes of its runs of length 1, 2, ... found so far since the last clear.
    std::vector<std::vector<std::uint16_t>> runs_;
};

}  // namespace tallyhouse::image
