// Span collection with clamping to the visible rectangle, and merging of overlapping runs.
#include "platform/raster_spans.h"

#include <algorithm>

TSpanSet::TSpanSet(const TRect& bounds) : bounds_(bounds) {
    if (bounds_.Right < bounds_.Left) bounds_.Right = bounds_.Left;
    if (bounds_.Bottom < bounds_.Top) bounds_.Bottom = bounds_.Top;
    rows_.resize(static_cast<std::size_t>(bounds_.Bottom - bounds_.Top));
}

void TSpanSet::Add(long long y, long long x0, long long x1) {
    if (!RowVisible(y)) return;
    x0 = std::max<long long>(x0, bounds_.Left);
    x1 = std::min<long long>(x1, bounds_.Right);
    if (x0 >= x1) return;
    rows_[static_cast<std::size_t>(y - bounds_.Top)].push_back(TSpan{static_cast<int>(x0), static_cast<int>(x1)});
}

bool TSpanSet::Empty() const {
    return std::all_of(rows_.begin(), rows_.end(), [](const std::vector<TSpan>& r) { return r.empty(); });
}

void TSpanSet::Merge(std::vector<TSpan>& row) {
    std::sort(row.begin(), row.end(), [](const TSpan& a, const TSpan& b) { return a.X0 < b.X0; });
    std::size_t out = 0;
    for (std::size_t i = 1; i < row.size(); ++i) {
        if (row[i].X0 <= row[out].X1) {
            row[out].X1 = std::max(row[out].X1, row[i].X1);
        } else {
            row[++out] = row[i];
        }
    }
    row.resize(out + 1);
}
