// Span collection with clamping to the visible rectangle, and merging of overlapping runs.
#include "platform/raster_spans.h"

#include <algorithm>

TSpanSet::TSpanSet(const TRect& bounds) : bounds_(bounds) {
    if (bounds_.Right < bounds_.Left) bounds_.Right = bounds_.Left;
    if (bounds_.Bottom < bounds_.Top) bounds_.Bottom = bounds_.Top;
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

void TSpanSet::SortAndMerge() {
    if (!sorted_) {
        std::sort(spans_.begin(), spans_.end(),
                  [](const TRowSpan& a, const TRowSpan& b) { return a.Y != b.Y ? a.Y < b.Y : a.X0 < b.X0; });
        sorted_ = true;
    }
    if (spans_.empty()) return;
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
