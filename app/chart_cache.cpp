#include "app/chart_cache.h"

#include "engine/settings/operator_settings.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

namespace {

// What the heap gives a block beyond what was asked: its header, rounded up to 16 bytes.
constexpr std::size_t kBlockOverhead = 16;
// A list node (two links and the entry) and a hash node (link, view, iterator, cached hash)
// with their bucket pointer, each a heap block of its own.
constexpr std::size_t kNodesBytes = (2 * sizeof(void*) + sizeof(std::string) + sizeof(TCachedAnswer) + kBlockOverhead) +
                                    (sizeof(void*) + sizeof(std::string_view) + 2 * sizeof(void*) + kBlockOverhead) +
                                    sizeof(void*);

// A bad setting keeps no chart: every request reports it until it is mended.
std::size_t ConfiguredLimit() {
    try {
        return OperatorSettings().ChartCacheBytes;
    } catch (const ESettingsError&) {
        return 0;
    }
}

// The heap bytes behind a string: nothing while it fits in the string itself.
std::size_t HeapBytes(const std::string& text) {
    return text.capacity() < sizeof(std::string) ? 0 : text.capacity() + 1 + kBlockOverhead;
}

}  // namespace

TChartCache::TChartCache() : limit_(ConfiguredLimit()) {}

std::size_t TChartCache::SizeOf(const TEntry& entry) {
    return HeapBytes(entry.key) + HeapBytes(entry.answer.contentType) + HeapBytes(entry.answer.body) +
           HeapBytes(entry.answer.tag) + kNodesBytes;
}

const TCachedAnswer* TChartCache::Find(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->answer;
}

void TChartCache::Store(const std::string& key, TCachedAnswer answer) {
    // A body too large to keep is not copied to its size first.
    if (answer.body.size() > limit_ / 4) return;
    answer.body.shrink_to_fit();
    TEntry entry{key, std::move(answer)};
    if (SizeOf(entry) > limit_ / 4) return;
    if (const auto old = index_.find(key); old != index_.end()) Drop(old->second);
    bytes_ += SizeOf(entry);
    entries_.push_front(std::move(entry));
    index_.emplace(entries_.front().key, entries_.begin());
    while (bytes_ > limit_) Drop(std::prev(entries_.end()));
}

void TChartCache::Drop(TEntries::iterator entry) {
    bytes_ -= SizeOf(*entry);
    index_.erase(entry->key);
    entries_.erase(entry);
}

}  // namespace tallyhouse::app
