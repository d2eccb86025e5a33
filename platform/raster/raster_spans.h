// Pixel coverage of one drawing operation as sorted, merged spans per visible row.
#pragma once

#include <vector>

#include "platform/raster/geometry.h"

namespace tallyhouse::platform {

struct TSpan {
    int X0;  // first column
    int X1;  // one past the last column
};

class TSpanSet {
public:
    // Only pixels inside bounds are kept; coordinates outside are clamped before any loop runs.
    explicit TSpanSet(const TRect& bounds);
    ~TSpanSet();
    TSpanSet(TSpanSet&&) = default;
    TSpanSet& operator=(TSpanSet&&) = default;

    const TRect& Bounds() const { return bounds_; }
    bool RowVisible(long long y) const { return y >= bounds_.Top && y < bounds_.Bottom; }
    // Adds columns x0..x1-1 of row y; empty or invisible parts are dropped.
    void Add(long long y, long long x0, long long x1);
    void AddPixel(long long x, long long y) { Add(y, x, x + 1); }

    // Calls f(y, x0, x1) for each maximal run of covered pixels, top to bottom, left to right.
    template <class F>
    void ForEach(F&& f) {
        SortAndMerge();
        for (const TRowSpan& s : spans_) f(s.Y, s.X0, s.X1);
    }
    // Calls f(y, x0, x1) for each span as it was added: in no particular order, and spans may
    // overlap or touch. Enough for painting that gives a pixel the same however often it is painted.
    template <class F>
    void ForEachAsAdded(F&& f) const {
        for (const TRowSpan& s : spans_) f(s.Y, s.X0, s.X1);
    }
    bool Empty() const { return spans_.empty(); }

private:
    struct TRowSpan {
        int Y;
        int X0;
        int X1;
    };
    // Orders the spans by row and column and joins those that touch or overlap.
    void SortAndMerge();
    void Sort();
    // Lists of span sets that have ended, kept per thread for the next ones: a chart builds a few
    // hundred span sets, each of which would otherwise grow its list from nothing.
    static std::vector<std::vector<TRowSpan>>& KeptLists();
    static std::vector<TRowSpan> TakeList();
    static void KeepList(std::vector<TRowSpan>&& list);

    TRect bounds_;
    // One list for all rows: shapes add a handful of spans per row, and a list per row would
    // cost an allocation for each.
    std::vector<TRowSpan> spans_;
    bool sorted_ = true;
};

}  // namespace tallyhouse::platform
