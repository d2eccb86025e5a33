// Rectangles, rounded rectangles and ellipses as row spans, and the angular sector of arcs and pies.
#pragma once

#include <array>

#include "platform/raster/raster_spans.h"

namespace tallyhouse::platform {

// A box (l, t, r, b) with elliptic corners cornerW x cornerH: 0 gives a rectangle, the full box
// size an ellipse. A pixel belongs to the shape when its centre does.
struct TConvexShape {
    long long L = 0, T = 0, R = 0, B = 0;
    long long CornerW = 0, CornerH = 0;

    static TConvexShape Box(long long l, long long t, long long r, long long b);
    static TConvexShape Oval(long long l, long long t, long long r, long long b);
    static TConvexShape Rounded(long long l, long long t, long long r, long long b, long long cw, long long ch);

    // The shape moved inward by d pixels on every side (outward when d < 0).
    TConvexShape Inset(long long d) const;
    bool Empty() const { return R <= L || B <= T; }
    // Columns x0..x1-1 of row y; false when the row misses the shape.
    bool Row(long long y, long long& x0, long long& x1) const;
};

// Adds the shape's rows; with a hole, only the part of the shape outside the hole (a ring).
void AddShapeSpans(const TConvexShape& shape, TSpanSet& spans);
void AddRingSpans(const TConvexShape& outer, const TConvexShape& hole, TSpanSet& spans);

// The pixels whose centres lie counter-clockwise on screen from the ray through the start point to
// the ray through the end point, both from the centre of a box; equal rays mean every pixel.
class TSector {
public:
    TSector(const TConvexShape& box, int xStart, int yStart, int xEnd, int yEnd);
    bool Contains(long long x, long long y) const;
    // Columns of row y near which membership can change: where the rays cross it, and the centre.
    std::array<long long, 3> Boundaries(long long y) const;
    // The start and end points the rays pass through.
    const std::array<TPoint, 2>& Rays() const { return rays_; }

private:
    // Vectors from the centre in half pixels, y upward, so counter-clockwise is the usual sense.
    struct TVector {
        long long X, Y;
    };
    bool Before(const TVector& a, const TVector& b) const;

    long long cx2_, cy2_;
    TVector start_, end_;
    bool full_;
    std::array<TPoint, 2> rays_;
};

// Keeps only the covered pixels of the set that lie in the sector.
void AddSectorSpans(const TSector& sector, TSpanSet& from, TSpanSet& to);

}  // namespace tallyhouse::platform
