#include "app/tally.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

constexpr size_t kLineLimit = 4096;

// Splits text into lines at CR LF, a lone CR or a lone LF; an empty piece after the final
// line break is not a line.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
    const char* pos = text.data();
    const char* const end = pos + text.size();
    while (pos < end) {
        const size_t left = static_cast<size_t>(end - pos);
        const char* lf = static_cast<const char*>(std::memchr(pos, '\n', left));
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(pos, '\r', static_cast<size_t>(stop - pos)));
        const char* lineEnd = cr ? cr : stop;
        onLine(std::string_view(pos, static_cast<size_t>(lineEnd - pos)));
        if (lineEnd == end) break;
        pos = lineEnd + 1;
        if (*lineEnd == '\r' && pos < end && *pos == '\n') ++pos;
    }
}

// Counts answers by label in first-appearance order; labels are views into the text.
class Counter {
public:
    void Count(std::string_view answer) {
        if (last_ < counts_.size() && counts_[last_].first == answer) {
            ++counts_[last_].second;
            return;
        }
        auto [slot, added] = index_.try_emplace(answer, counts_.size());
        if (added) counts_.emplace_back(answer, 0);
        last_ = slot->second;
        ++counts_[last_].second;
    }

    Tally Ordered() const {
        Tally tally;
        tally.reserve(counts_.size());
        for (const auto& [label, count] : counts_) tally.push_back({std::string(label), count});
        std::stable_sort(tally.begin(), tally.end(),
                         [](const TallyEntry& a, const TallyEntry& b) { return a.count > b.count; });
        return tally;
    }

private:
    std::vector<std::pair<std::string_view, std::int64_t>> counts_;
    std::unordered_map<std::string_view, size_t> index_;
    size_t last_ = 0;
};

}  // namespace

Tally CountAnswers(std::string_view text) {
    Counter counter;
    std::string_view answer = "leer";
    ForEachLine(text, [&](std::string_view line) {
        line = line.substr(0, kLineLimit);
        const size_t comma = line.rfind(',');
        if (comma != std::string_view::npos) answer = line.substr(comma + 1);
        counter.Count(answer);
    });
    return counter.Ordered();
}

std::optional<Tally> SampleTally(std::string_view name) {
    if (name == "testdeutsch")
        return Tally{{"sehr gut", 67}, {"gut", 58}, {"befriedigend", 32}, {"ausreichend", 18}, {"mangelhaft", 6}};
    if (name == "testenglish") return Tally{{"very good", 67}, {"good", 58}, {"okay", 32}, {"poor", 18}};
    return std::nullopt;
}

std::int64_t TotalCount(const Tally& tally) {
    std::int64_t total = 0;
    for (const TallyEntry& entry : tally) total += entry.count;
    return total;
}
