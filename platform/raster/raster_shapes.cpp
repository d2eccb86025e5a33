// Row spans of boxes with elliptic corners, computed per row so cost follows the visible rows.
#include "platform/raster/raster_shapes.h"

#include <algorithm>
#include <cmath>

namespace tallyhouse::platform {

namespace {

long long CeilToLong(long double v) { return static_cast<long long>(std::ceil(std::clamp(v, -4e18L, 4e18L))); }
long long FloorToLong(long double v) { return static_cast<long long>(std::floor(std::clamp(v, -4e18L, 4e18L))); }

// How far the corner ellipse pulls the edge inward on a row whose centre is dy from the corner's centre line.
long double CornerInset(long double radiusX, long double radiusY, long double dy) {
    if (dy <= 0) return 0;
    if (dy >= radiusY) return radiusX + 1;  // past the corner: the row is outside
    const long double q = dy / radiusY;
    return radiusX - radiusX * std::sqrt(1 - q * q);
}

}  // namespace

TConvexShape TConvexShape::Box(long long l, long long t, long long r, long long b) { return TConvexShape{l, t, r, b, 0, 0}; }

TConvexShape TConvexShape::Oval(long long l, long long t, long long r, long long b) {
    return TConvexShape{l, t, r, b, r - l, b - t};
}

TConvexShape TConvexShape::Rounded(long long l, long long t, long long r, long long b, long long cw, long long ch) {
    return TConvexShape{l, t, r, b, std::clamp(cw, 0LL, std::max(0LL, r - l)), std::clamp(ch, 0LL, std::max(0LL, b - t))};
}

TConvexShape TConvexShape::Inset(long long d) const {
    TConvexShape s{L + d, T + d, R - d, B - d, std::max(0LL, CornerW - 2 * d), std::max(0LL, CornerH - 2 * d)};
    s.CornerW = std::min(s.CornerW, std::max(0LL, s.R - s.L));
    s.CornerH = std::min(s.CornerH, std::max(0LL, s.B - s.T));
    return s;
}

bool TConvexShape::Row(long long y, long long& x0, long long& x1) const {
    if (Empty() || y < T || y >= B) return false;
    if (CornerW <= 0 || CornerH <= 0) {
        // Square corners, the path of every box: the rounding below with no inset, clamped alike,
        // in integers. Its x87 rounding-mode switches cost several times more here than the rest.
        constexpr long long limit = 4'000'000'000'000'000'000;
        x0 = std::clamp(L, -limit, limit);
        x1 = std::clamp(R, -limit + 1, limit + 1);
        return x0 < x1;
    }
    const long double rx = static_cast<long double>(CornerW) / 2, ry = static_cast<long double>(CornerH) / 2;
    const long double centre = static_cast<long double>(y) + 0.5L;
    long double inset = 0;
    if (CornerW > 0 && CornerH > 0) {
        const long double fromTop = static_cast<long double>(T) + ry - centre;
        const long double fromBottom = centre - (static_cast<long double>(B) - ry);
        inset = CornerInset(rx, ry, std::max(fromTop, fromBottom));
    }
    x0 = CeilToLong(static_cast<long double>(L) + inset - 0.5L);
    x1 = FloorToLong(static_cast<long double>(R) - inset - 0.5L) + 1;
    return x0 < x1;
}

void AddShapeSpans(const TConvexShape& shape, TSpanSet& spans) {
    const long long first = std::max<long long>(shape.T, spans.Bounds().Top);
    const long long last = std::min<long long>(shape.B, spans.Bounds().Bottom);
    long long x0 = 0, x1 = 0;
    for (long long y = first; y < last; ++y) {
        if (shape.Row(y, x0, x1)) spans.Add(y, x0, x1);
    }
}

void AddRingSpans(const TConvexShape& outer, const TConvexShape& hole, TSpanSet& spans) {
    const long long first = std::max<long long>(outer.T, spans.Bounds().Top);
    const long long last = std::min<long long>(outer.B, spans.Bounds().Bottom);
    long long x0 = 0, x1 = 0, h0 = 0, h1 = 0;
    for (long long y = first; y < last; ++y) {
        if (!outer.Row(y, x0, x1)) continue;
        if (!hole.Row(y, h0, h1) || h0 >= x1 || h1 <= x0) {
            spans.Add(y, x0, x1);
            continue;
        }
        spans.Add(y, x0, h0);
        spans.Add(y, h1, x1);
    }
}

namespace {

__extension__ using Int128 = __int128;

Int128 Cross(long long ax, long long ay, long long bx, long long by) {
    return static_cast<Int128>(ax) * by - static_cast<Int128>(ay) * bx;
}

Int128 Dot(long long ax, long long ay, long long bx, long long by) {
    return static_cast<Int128>(ax) * bx + static_cast<Int128>(ay) * by;
}

}  // namespace

TSector::TSector(const TConvexShape& box, int xStart, int yStart, int xEnd, int yEnd)
    : cx2_(box.L + box.R), cy2_(box.T + box.B), rays_{Point(xStart, yStart), Point(xEnd, yEnd)} {
    start_ = TVector{2LL * xStart - cx2_, cy2_ - 2LL * yStart};
    end_ = TVector{2LL * xEnd - cx2_, cy2_ - 2LL * yEnd};
    if (start_.X == 0 && start_.Y == 0) start_ = TVector{1, 0};
    if (end_.X == 0 && end_.Y == 0) end_ = TVector{1, 0};
    // Rays through the same direction (not only the same point) give the whole ellipse.
    full_ = Cross(start_.X, start_.Y, end_.X, end_.Y) == 0 && Dot(start_.X, start_.Y, end_.X, end_.Y) > 0;
}

// Whether a's angle, measured counter-clockwise from the start ray into [0, 2 pi), is below b's.
// Exact integer tests, so slices sharing a ray split its pixels without gaps or overlaps.
bool TSector::Before(const TVector& a, const TVector& b) const {
    auto lowerHalf = [&](const TVector& v) {
        const Int128 c = Cross(start_.X, start_.Y, v.X, v.Y);
        return c > 0 || (c == 0 && Dot(start_.X, start_.Y, v.X, v.Y) > 0);
    };
    const bool ha = lowerHalf(a), hb = lowerHalf(b);
    if (ha != hb) return ha;
    return Cross(a.X, a.Y, b.X, b.Y) > 0;
}

bool TSector::Contains(long long x, long long y) const {
    if (full_) return true;
    TVector p{2 * x + 1 - cx2_, cy2_ - 2 * y - 1};
    if (p.X == 0 && p.Y == 0) p = TVector{1, 0};  // the exact centre goes with the 3 o'clock direction
    return Before(p, end_);
}

std::array<long long, 3> TSector::Boundaries(long long y) const {
    const long double rowY = static_cast<long double>(cy2_ - 2 * y - 1);
    auto crossing = [&](const TVector& v) {
        const long double t = v.Y != 0 ? rowY / static_cast<long double>(v.Y) : -1;
        if (t < 0) return static_cast<long long>(cx2_ / 2);
        const long double x2 = static_cast<long double>(cx2_) + t * static_cast<long double>(v.X);
        return static_cast<long long>(std::clamp((x2 - 1) / 2, -4e18L, 4e18L));
    };
    return {crossing(start_), crossing(end_), cx2_ / 2};
}

// A row crosses each ray once at most, so membership is constant between the boundary columns;
// only pixels near them are tested one by one.
void AddSectorSpans(const TSector& sector, TSpanSet& from, TSpanSet& to) {
    constexpr long long kNear = 2;
    from.ForEach([&](int y, int x0, int x1) {
        const std::array<long long, 3> marks = sector.Boundaries(y);
        for (long long x = x0; x < x1;) {
            long long end = x1;
            for (const long long m : marks) {
                if (x >= m - kNear && x <= m + kNear) {
                    end = x + 1;
                    break;
                }
                if (m - kNear > x) end = std::min(end, m - kNear);
            }
            if (sector.Contains(x, y)) to.Add(y, x, end);
            x = end;
        }
    });
}

}  // namespace tallyhouse::platform
