#include "app/chart_cache.h"

#include "platform/system_environment.h"

namespace {

constexpr std::size_t kDefaultMiB = 16;
constexpr std::size_t kMiB = 1024 * 1024;

std::size_t ConfiguredLimit() {
    const std::string text = GetEnv("TALLYHOUSE_CHART_CACHE_MB");
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6)
        return kDefaultMiB * kMiB;
    return std::stoul(text) * kMiB;
}

std::size_t SizeOf(const std::string& key, const TCachedAnswer& answer) {
    return key.size() + answer.contentType.size() + answer.body.size();
}

}  // namespace

TChartCache::TChartCache() : limit_(ConfiguredLimit()) {}

const TCachedAnswer* TChartCache::Find(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->answer;
}

void TChartCache::Store(const std::string& key, TCachedAnswer answer) {
    if (SizeOf(key, answer) > limit_ / 4) return;
    if (const auto old = index_.find(key); old != index_.end()) Drop(old->second);
    bytes_ += SizeOf(key, answer);
    entries_.push_front({key, std::move(answer)});
    index_[key] = entries_.begin();
    while (bytes_ > limit_) Drop(std::prev(entries_.end()));
}

void TChartCache::Drop(std::list<TEntry>::iterator entry) {
    bytes_ -= SizeOf(entry->key, entry->answer);
    index_.erase(entry->key);
    entries_.erase(entry);
}
