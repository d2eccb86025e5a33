#include "app/store/packed_tally.h"

#include <algorithm>
#include <unordered_map>

#include "app/store/pg_binary.h"
#include "app/store/store_errors.h"

namespace tallyhouse::app {

namespace {

struct TFirstAnswer {
    std::int64_t firstAnswer = 0;
    TallyEntry entry;
};

std::vector<TFirstAnswer> Unpack(std::string_view packed) {
    std::vector<TFirstAnswer> entries;
    while (!packed.empty()) {
        if (packed.size() < 20) throw EStoreError("The database sent a tally cut short");
        const std::int64_t count = ReadInt8(packed);
        const std::int64_t firstAnswer = ReadInt8(packed.substr(8));
        const auto length = static_cast<std::size_t>(ReadInt4(packed.substr(16)));
        if (packed.size() < 20 + length) throw EStoreError("The database sent a tally cut short");
        entries.push_back({firstAnswer, {std::string(packed.substr(20, length)), count}});
        packed.remove_prefix(20 + length);
    }
    return entries;
}

}  // namespace

Tally UnpackTally(std::string_view counted, std::string_view pending) {
    std::vector<TFirstAnswer> entries = Unpack(counted);
    if (!pending.empty()) {
        std::vector<TFirstAnswer> pendingEntries = Unpack(pending);
        // The labels are looked up in place, so the entries must not move meanwhile.
        entries.reserve(entries.size() + pendingEntries.size());
        std::unordered_map<std::string_view, std::size_t> known;
        for (std::size_t i = 0; i < entries.size(); ++i) known.emplace(entries[i].entry.label, i);
        for (TFirstAnswer& added : pendingEntries) {
            const auto same = known.find(added.entry.label);
            if (same == known.end()) {
                entries.push_back(std::move(added));
                continue;
            }
            TFirstAnswer& entry = entries[same->second];
            entry.entry.count += added.entry.count;
            entry.firstAnswer = std::min(entry.firstAnswer, added.firstAnswer);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const TFirstAnswer& a, const TFirstAnswer& b) {
        return a.entry.count != b.entry.count ? a.entry.count > b.entry.count : a.firstAnswer < b.firstAnswer;
    });
    Tally tally;
    tally.reserve(entries.size());
    for (TFirstAnswer& entry : entries) tally.push_back(std::move(entry.entry));
    return tally;
}

}  // namespace tallyhouse::app
