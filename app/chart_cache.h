// Recent view answers of this process (charts, and tallies as data), each with its content
// type, by chart key (app/chart_key.h), bounded in bytes: the least recently used go first.
// The setting TALLYHOUSE_CHART_CACHE_MB sets the bound in MiB (default 16); 0 switches the cache
// off. The bound counts what an entry really holds on the heap: its key once, its answer's bytes
// and the bookkeeping around them.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tallyhouse::app {

struct TCachedAnswer {
    std::string contentType;
    std::string body;
    std::string tag;  // its entity tag, made once when it is kept
};

class TChartCache {
public:
    TChartCache();
    explicit TChartCache(std::size_t limitBytes) : limit_(limitBytes) {}

    // The answer kept under the key, or none; a hit counts as a use.
    const TCachedAnswer* Find(const std::string& key);
    // Keeps the answer; one larger than a quarter of the bound is not kept.
    void Store(const std::string& key, TCachedAnswer answer);
    std::size_t Bytes() const { return bytes_; }

private:
    struct TEntry {
        std::string key;
        TCachedAnswer answer;
    };
    using TEntries = std::list<TEntry>;
    static std::size_t SizeOf(const TEntry& entry);
    void Drop(TEntries::iterator entry);

    std::size_t limit_;
    std::size_t bytes_ = 0;
    TEntries entries_;  // most recently used first
    // Keyed by a view of the entry's own key: list nodes never move, and the key is held once.
    std::unordered_map<std::string_view, TEntries::iterator> index_;
};

}  // namespace tallyhouse::app
