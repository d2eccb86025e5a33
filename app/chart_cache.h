// Recently drawn charts of this process, by chart key (app/chart_key.h), bounded in bytes: the
// least recently used go first. "TALLYHOUSE_CHART_CACHE_MB" in the environment sets the bound
// in MiB (default 16); 0 switches the cache off.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

class TChartCache {
public:
    TChartCache();
    explicit TChartCache(std::size_t limitBytes) : limit_(limitBytes) {}

    // The GIF bytes kept under the key, or none; a hit counts as a use.
    const std::string* Find(const std::string& key);
    // Keeps the bytes; a chart larger than a quarter of the bound is not kept.
    void Store(const std::string& key, std::string gif);
    std::size_t Bytes() const { return bytes_; }

private:
    struct TEntry {
        std::string key;
        std::string gif;
    };
    void Drop(std::list<TEntry>::iterator entry);

    std::size_t limit_;
    std::size_t bytes_ = 0;
    std::list<TEntry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<TEntry>::iterator> index_;
};
