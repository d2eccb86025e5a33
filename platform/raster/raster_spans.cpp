// Span collection with clamping to the visible rectangle, and merging of overlapping runs.
#include "platform/raster/raster_spans.h"

#include <algorithm>
#include <utility>

namespace tallyhouse::platform {

namespace {

// A few lists are kept, none so long that a thread would hold much memory for it.
constexpr std::size_t kKeptLists = 4;
constexpr std::size_t kKeptCapacity = 4096;

}  // namespace

TSpanSet::TSpanSet(const TRect& bounds) : bounds_(bounds), spans_(TakeList()) {
    if (bounds_.Right < bounds_.Left) bounds_.Right = bounds_.Left;
    if (bounds_.Bottom < bounds_.Top) bounds_.Bottom = bounds_.Top;
}

TSpanSet::~TSpanSet() { KeepList(std::move(spans_)); }

std::vector<std::vector<TSpanSet::TRowSpan>>& TSpanSet::KeptLists() {
    thread_local std::vector<std::vector<TRowSpan>> kept;
    return kept;
}

std::vector<TSpanSet::TRowSpan> TSpanSet::TakeList() {
    auto& kept = KeptLists();
    if (kept.empty()) return {};
    std::vector<TRowSpan> list = std::move(kept.back());
    kept.pop_back();
    list.clear();
    return list;
}

void TSpanSet::KeepList(std::vector<TRowSpan>&& list) {
    auto& kept = KeptLists();
    if (list.capacity() == 0 || list.capacity() > kKeptCapacity || kept.size() == kKeptLists) return;
    kept.push_back(std::move(list));
}

void TSpanSet::Add(long long y, long long x0, long long x1) {
    if (!RowVisible(y)) return;
    x0 = std::max<long long>(x0, bounds_.Left);
    x1 = std::min<long long>(x1, bounds_.Right);
    if (x0 >= x1) return;
    const TRowSpan span{static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)};
    if (!spans_.empty()) {
        const TRowSpan& last = spans_.back();
        if (span.Y < last.Y || (span.Y == last.Y && span.X0 < last.X0)) sorted_ = false;
    }
    spans_.push_back(span);
}

// Spans come unordered from shapes drawn piece by piece, text glyph by glyph: they are put in
// order of rows by counting (the rows they take are few), then in order of columns within each
// row, where they are few and mostly in order already.
void TSpanSet::Sort() {
    const auto [low, high] = std::minmax_element(spans_.begin(), spans_.end(),
                                                 [](const TRowSpan& a, const TRowSpan& b) { return a.Y < b.Y; });
    const int top = low->Y;
    std::vector<std::size_t> next(static_cast<std::size_t>(high->Y - top) + 2, 0);
    for (const TRowSpan& span : spans_) ++next[static_cast<std::size_t>(span.Y - top) + 1];
    for (std::size_t row = 1; row < next.size(); ++row) next[row] += next[row - 1];
    std::vector<TRowSpan> sorted(spans_.size());
    for (const TRowSpan& span : spans_) sorted[next[static_cast<std::size_t>(span.Y - top)]++] = span;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        const TRowSpan span = sorted[i];
        std::size_t at = i;
        for (; at > 0 && sorted[at - 1].Y == span.Y && sorted[at - 1].X0 > span.X0; --at) sorted[at] = sorted[at - 1];
        sorted[at] = span;
    }
    spans_.swap(sorted);
}

void TSpanSet::SortAndMerge() {
    if (spans_.empty()) return;
    if (!sorted_) {
        Sort();
        sorted_ = true;
    }
    std::size_t out = 0;
    for (std::size_t i = 1; i < spans_.size(); ++i) {
        TRowSpan& kept = spans_[out];
        if (spans_[i].Y == kept.Y && spans_[i].X0 <= kept.X1) {
            kept.X1 = std::max(kept.X1, spans_[i].X1);
        } else {
            spans_[++out] = spans_[i];
        }
    }
    spans_.resize(out + 1);
}

}  // namespace tallyhouse::platform
