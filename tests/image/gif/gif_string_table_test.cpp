// The LZW string tables: the probing rule of the reference table, and the fast table giving
// the reference table's answers, quirk included.
#include "image/gif/gif_string_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

using namespace tallyhouse::image;

namespace {

TEST(GifStringTable, ProbesBackwardsFromTheFirstSlot) {
    struct Case {
        const char* fault;
        std::vector<int> stored;  // keys entered one after the other
        int key;
        bool found;
        int slot;
    };
    const int keyAt0 = (1 << 12) | 16;  // next index 1, prefix 16: first slot 16 ^ 16 = 0
    const Case cases[] = {
        {"an empty first slot takes the string", {}, (3 << 12) | 5, false, (3 << 4) ^ 5},
        {"a taken first slot steps back by 5119 minus the slot", {(3 << 12) | 5}, (0 << 12) | 53, false,
         53 - (5119 - 53) + 5119},
        {"a string stored after a step is found again", {(3 << 12) | 5, 53}, 53, true, 53 - (5119 - 53) + 5119},
        {"from slot 0 the step is 1", {keyAt0}, 0, false, 5118},
        {"a further probe stops at key 0 and reuses its slot", {keyAt0, 0}, (2 << 12) | 32,
         false, 5118},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TGifStringTable table;
        int code = 300;
        for (int key : c.stored) {
            bool found = false;
            const int slot = table.Probe(key, found);
            ASSERT_FALSE(found);
            table.Store(slot, key, code++);
        }
        bool found = false;
        EXPECT_EQ(table.Probe(c.key, found), c.slot);
        EXPECT_EQ(found, c.found);
    }
}

// The codes an LZW coder writes for the indexes (clear codes as -1), with the table given.
template <typename Lookup>
std::vector<int> CodesWritten(const std::vector<int>& indexes, Lookup& table) {
    const int firstCode = 258;
    std::vector<int> written;
    int freeCode = firstCode;
    int prefix = indexes[0];
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        const int key = (indexes[i] << 12) | prefix;
        const int code = table.Find(key);
        if (code >= 0) {
            prefix = code;
            continue;
        }
        written.push_back(prefix);
        if (freeCode < 4096) {
            table.Add(key, freeCode++);
        } else {
            written.push_back(-1);
            table.Clear();
            freeCode = firstCode;
        }
        prefix = indexes[i];
    }
    written.push_back(prefix);
    return written;
}

struct ReferenceLookup {
    TGifStringTable table;
    int slot = 0;
    int Find(int key) {
        bool found = false;
        slot = table.Probe(key, found);
        return found ? table.Code(slot) : -1;
    }
    void Add(int key, int code) { table.Store(slot, key, code); }
    void Clear() { table.Clear(); }
};

struct PlainLookup {
    std::map<int, int> strings;
    int Find(int key) {
        const auto it = strings.find(key);
        return it == strings.end() ? -1 : it->second;
    }
    void Add(int key, int code) { strings[key] = code; }
    void Clear() { strings.clear(); }
};

// Index streams that take slot 0 early (index 16 then 1) and repeat index 0 often, so that the
// string "0 0" lands on a later probe and is then overwritten.
std::vector<int> QuirkProneIndexes(std::mt19937& random, int colors) {
    std::vector<int> indexes = {16, 1};
    for (int i = 0; i < 60000; ++i) {
        const auto r = static_cast<std::uint32_t>(random());
        indexes.push_back(r % 4 == 0 ? 0 : static_cast<int>((r >> 8) % static_cast<std::uint32_t>(colors)));
    }
    return indexes;
}

TEST(GifStringTable, FastTableWritesTheCodesOfTheReferenceTable) {
    std::mt19937 random(5);
    int streamsWhereTheQuirkMatters = 0;
    for (int stream = 0; stream < 16; ++stream) {
        const std::vector<int> indexes = QuirkProneIndexes(random, stream % 2 ? 256 : 24);
        ReferenceLookup reference;
        TGifStrings fast(258);
        PlainLookup plain;
        const std::vector<int> expected = CodesWritten(indexes, reference);
        ASSERT_EQ(CodesWritten(indexes, fast), expected) << "stream " << stream;
        if (CodesWritten(indexes, plain) != expected) ++streamsWhereTheQuirkMatters;
    }
    EXPECT_GT(streamsWhereTheQuirkMatters, 0) << "the streams never reached the overwritten string";
}

}  // namespace
