// Pixel coverage of one drawing operation as sorted, merged spans per visible row.
#pragma once

#include <vector>

#include "platform/geometry.h"

struct TSpan {
    int X0;  // first column
    int X1;  // one past the last column
};

class TSpanSet {
public:
    // Only pixels inside bounds are kept; coordinates outside are clamped before any loop runs.
    explicit TSpanSet(const TRect& bounds);

    const TRect& Bounds() const { return bounds_; }
    bool RowVisible(long long y) const { return y >= bounds_.Top && y < bounds_.Bottom; }
    // Adds columns x0..x1-1 of row y; empty or invisible parts are dropped.
    void Add(long long y, long long x0, long long x1);
    void AddPixel(long long x, long long y) { Add(y, x, x + 1); }

    // Calls f(y, x0, x1) for each maximal run of covered pixels, top to bottom, left to right.
    template <class F>
    void ForEach(F&& f) {
        for (int y = bounds_.Top; y < bounds_.Bottom; ++y) {
            std::vector<TSpan>& row = rows_[static_cast<std::size_t>(y - bounds_.Top)];
            if (row.empty()) continue;
            Merge(row);
            for (const TSpan& s : row) f(y, s.X0, s.X1);
        }
    }
    bool Empty() const;

private:
    static void Merge(std::vector<TSpan>& row);

    TRect bounds_;
    std::vector<std::vector<TSpan>> rows_;
};
