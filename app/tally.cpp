#include "app/tally.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <stdexcept>

#include "app/quoted_answer.h"
#include "platform/os/keyed_hash.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

constexpr size_t kLineLimit = kAnswerLineBytes;

// The end of the line that starts at pos: its first CR or LF, or end.
const char* LineEnd(const char* pos, const char* end) {
    const char* lf = static_cast<const char*>(std::memchr(pos, '\n', static_cast<size_t>(end - pos)));
    const char* stop = lf ? lf : end;
    const char* cr = static_cast<const char*>(std::memchr(pos, '\r', static_cast<size_t>(stop - pos)));
    return cr ? cr : stop;
}

// The answer of a line, viewed in the line or, for a quoted one, in quoted (which it fills);
// none for a line without a comma.
std::optional<std::string_view> AnswerOf(std::string_view line, std::optional<std::string>& quoted) {
    line = line.substr(0, kLineLimit);
    // Only a line ending in a double quote may hold a quoted answer.
    if (!line.empty() && line.back() == '"' && (quoted = QuotedAnswerAtEnd(line))) return *quoted;
    const size_t comma = line.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    return line.substr(comma + 1);
}

}  // namespace

// Counts answers by label in first-appearance order. Labels are copied out of the poll text,
// so comparing with one touches a small array rather than a far place of a large file; the
// index is an open-addressing table kept at most half full, so a lookup is one or two probes
// of a flat array.
class TallyCounter::Counts {
public:
    Counts() : slots_(1024) {}

    void Count(std::string_view answer) {
        if (last_ < counts_.size() && counts_[last_].label == answer) {
            ++counts_[last_].count;
            return;
        }
        last_ = IndexOf(answer);
        ++counts_[last_].count;
    }

    // A line without an answer of its own: the answer counted last, "leer" before any.
    void CountAgain() {
        if (last_ < counts_.size())
            ++counts_[last_].count;
        else
            Count("leer");
    }

    Tally Ordered() && {
        Tally tally = std::move(counts_);
        OrderByCount(tally);
        return tally;
    }

private:
    // Eight bytes a slot keep the index of a poll with a million answers small: the low half of
    // the hash (all that a table of up to 2^32 slots uses) and the answer's place in counts_.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t index = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = UINT32_MAX;

    size_t IndexOf(std::string_view answer) {
        const auto hash = static_cast<std::uint32_t>(KeyedHash(answer));
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.index == kEmpty) return Add(slot, hash, answer);
            if (slot.hash == hash && counts_[slot.index].label == answer) return slot.index;
        }
    }

    size_t Add(Slot& slot, std::uint32_t hash, std::string_view answer) {
        if (counts_.size() >= kEmpty) throw std::length_error("too many different answers");
        slot = {hash, static_cast<std::uint32_t>(counts_.size())};
        counts_.push_back({std::string(answer), 0});
        if (counts_.size() * 2 > slots_.size()) Grow();
        return counts_.size() - 1;
    }

    void Grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.index == kEmpty) continue;
            size_t i = slot.hash & mask;
            while (slots_[i].index != kEmpty) i = (i + 1) & mask;
            slots_[i] = slot;
        }
    }

    std::vector<Slot> slots_;
    Tally counts_;
    size_t last_ = SIZE_MAX;
};

TallyCounter::TallyCounter() : counts_(std::make_unique<Counts>()) {}

TallyCounter::~TallyCounter() = default;

void TallyCounter::CountLine(std::string_view line) {
    std::optional<std::string> quoted;
    if (const std::optional<std::string_view> answer = AnswerOf(line, quoted))
        counts_->Count(*answer);
    else
        counts_->CountAgain();
}

std::optional<std::string> LineAnswer(std::string_view line) {
    std::optional<std::string> quoted;
    const std::optional<std::string_view> answer = AnswerOf(line, quoted);
    if (!answer) return std::nullopt;
    return std::string(*answer);
}

void OrderByCount(Tally& tally) {
    const auto larger = [](const TallyEntry& a, const TallyEntry& b) { return a.count > b.count; };
    // A poll whose answers all came equally often (each once, say) is in order already;
    // merging it anyway would move every entry some twenty times.
    if (!std::is_sorted(tally.begin(), tally.end(), larger)) std::stable_sort(tally.begin(), tally.end(), larger);
}

void TallyCounter::Continue(std::string_view bytes) {
    inLine_ = true;
    if (line_.size() < kLineLimit) line_.append(bytes.substr(0, kLineLimit - line_.size()));
}

void TallyCounter::Feed(std::string_view piece) {
    const char* pos = piece.data();
    const char* const end = pos + piece.size();
    if (afterCr_ && pos < end) {
        afterCr_ = false;
        if (*pos == '\n') ++pos;
    }
    while (pos < end) {
        const char* lineEnd = LineEnd(pos, end);
        const std::string_view bytes(pos, static_cast<size_t>(lineEnd - pos));
        if (lineEnd == end) {
            Continue(bytes);
            return;
        }
        if (inLine_) {
            Continue(bytes);
            CountLine(line_);
            line_.clear();
            inLine_ = false;
        } else {
            CountLine(bytes);
        }
        pos = lineEnd + 1;
        if (*lineEnd != '\r') continue;
        if (pos == end)
            afterCr_ = true;
        else if (*pos == '\n')
            ++pos;
    }
}

Tally TallyCounter::Finish() && {
    if (inLine_) CountLine(line_);
    return std::move(*counts_).Ordered();
}

Tally CountAnswers(std::string_view text) {
    TallyCounter counter;
    counter.Feed(text);
    return std::move(counter).Finish();
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

}  // namespace tallyhouse::app
