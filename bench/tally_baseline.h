// The tally's counting as it stood before quoted answers were read (every line's answer the
// text after its last comma), kept as the baseline that the tally's speed is measured against
// in the same run.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/tally.h"
#include "platform/os/keyed_hash.h"

namespace baseline {

class TallyCounter {
public:
    void Feed(std::string_view piece) {
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

    tallyhouse::app::Tally Finish() && {
        if (inLine_) CountLine(line_);
        return std::move(*counts_).Ordered();
    }

private:
    static constexpr size_t kLineLimit = 4096;

    class Counts {
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

        void CountAgain() {
            if (last_ < counts_.size())
                ++counts_[last_].count;
            else
                Count("leer");
        }

        tallyhouse::app::Tally Ordered() && {
            tallyhouse::app::Tally tally = std::move(counts_);
            const auto larger = [](const tallyhouse::app::TallyEntry& a, const tallyhouse::app::TallyEntry& b) { return a.count > b.count; };
            if (!std::is_sorted(tally.begin(), tally.end(), larger)) std::stable_sort(tally.begin(), tally.end(), larger);
            return tally;
        }

    private:
        struct Slot {
            std::uint32_t hash = 0;
            std::uint32_t index = kEmpty;
        };
        static constexpr std::uint32_t kEmpty = UINT32_MAX;

        size_t IndexOf(std::string_view answer) {
            const auto hash = static_cast<std::uint32_t>(tallyhouse::platform::KeyedHash(answer));
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
        tallyhouse::app::Tally counts_;
        size_t last_ = SIZE_MAX;
    };

    static const char* LineEnd(const char* pos, const char* end) {
        const char* lf = static_cast<const char*>(std::memchr(pos, '\n', static_cast<size_t>(end - pos)));
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(pos, '\r', static_cast<size_t>(stop - pos)));
        return cr ? cr : stop;
    }

    void CountLine(std::string_view line) {
        line = line.substr(0, kLineLimit);
        const size_t comma = line.rfind(',');
        if (comma == std::string_view::npos)
            counts_->CountAgain();
        else
            counts_->Count(line.substr(comma + 1));
    }

    void Continue(std::string_view bytes) {
        inLine_ = true;
        if (line_.size() < kLineLimit) line_.append(bytes.substr(0, kLineLimit - line_.size()));
    }

    std::unique_ptr<Counts> counts_ = std::make_unique<Counts>();
    std::string line_;
    bool inLine_ = false;
    bool afterCr_ = false;
};

}  // namespace baseline
