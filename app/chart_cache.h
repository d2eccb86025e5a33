// Recent view answers of this process (charts, and tallies as data), each with its content
// type, by chart key (app/chart_key.h), bounded in bytes: the least recently used go first. "TALLYHOUSE_CHART_CACHE_MB" in the environment sets the bound
// in MiB (default 16); 0 switches the cache off.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

struct TCachedAnswer {
    std::string contentType;
    std::string body;
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
    void Drop(std::list<TEntry>::iterator entry);

    std::size_t limit_;
    std::size_t bytes_ = 0;
    std::list<TEntry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<TEntry>::iterator> index_;
};
