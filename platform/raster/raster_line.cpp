// Line rasterising: only the steps whose pixels fall in the visible rectangle are visited.
#include "platform/raster/raster_line.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

namespace tallyhouse::platform {

namespace {

__extension__ using Int128 = __int128;

constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
constexpr TDashPattern kPatterns[] = {{kDash, 2}, {kDot, 2}, {kDashDot, 4}, {kDashDotDot, 6}};

int DashPeriod(const TDashPattern& dash) {
    int period = 0;
    for (int i = 0; i < dash.Count; ++i) period += dash.Runs[i];
    return period;
}

// Whether the pattern draws at step (at least 0), and for how many steps from it on it stays so.
std::pair<bool, long long> DashRun(const TDashPattern& dash, long long step) {
    long long pos = step % DashPeriod(dash);
    for (int i = 0; i < dash.Count; ++i) {
        if (pos < dash.Runs[i]) return {i % 2 == 0, dash.Runs[i] - pos};
        pos -= dash.Runs[i];
    }
    return {true, 1};
}

bool DashDrawn(const TDashPattern& dash, long long step) { return DashRun(dash, step).first; }

// A dashed line along a row: each dash, and each gap when gaps is given, is one span.
void AddDashedRow(long long x0, long long y, int dir, long long first, long long last, const TDashPattern& dash,
                  long long phase, TSpanSet& drawn, TSpanSet* gaps) {
    for (long long i = first; i < last;) {
        const auto [on, steps] = DashRun(dash, phase + i);
        const long long end = std::min(last, i + steps);
        if (TSpanSet* spans = on ? &drawn : gaps) {
            const long long from = x0 + dir * i, to = x0 + dir * (end - 1);
            spans->Add(y, std::min(from, to), std::max(from, to) + 1);
        }
        i = end;
    }
}

// Nearest integer to num / den (den > 0), halves rounded up.
long long RoundedQuotient(Int128 num, long long den) {
    const Int128 twice = 2 * num + den, d = 2 * static_cast<Int128>(den);
    Int128 q = twice / d;
    if (twice % d != 0 && twice < 0) --q;
    return static_cast<long long>(q);
}

// Steps i in [0, count) whose position start + i * dir lies in [low, high).
std::pair<long long, long long> VisibleSteps(long long start, int dir, long long count, long long low, long long high) {
    long long first = dir > 0 ? low - start : start - high + 1;
    long long last = dir > 0 ? high - start : start - low + 1;
    return {std::max(0LL, first), std::min(count, last)};
}

// The x-interval where a*x + c lies in [lo, hi]; nullopt when empty.
std::optional<std::pair<long double, long double>> Slab(long double a, long double c, long double lo, long double hi) {
    if (a == 0) {
        if (c < lo || c > hi) return std::nullopt;
        return std::pair{-1e30L, 1e30L};
    }
    long double x0 = (lo - c) / a, x1 = (hi - c) / a;
    if (x0 > x1) std::swap(x0, x1);
    return std::pair{x0, x1};
}

struct TInterval {
    long double Lo = 1e30L, Hi = -1e30L;
    void Join(long double lo, long double hi) {
        if (lo >= hi) return;
        Lo = std::min(Lo, lo);
        Hi = std::max(Hi, hi);
    }
};

void JoinDisc(TInterval& span, long double cx, long double cy, long double r, long double yc) {
    const long double dy = yc - cy;
    if (std::fabs(dy) >= r) return;
    const long double hw = std::sqrt(r * r - dy * dy);
    span.Join(cx - hw, cx + hw);
}

// The band of points within r of the segment's line whose projection falls between A and B.
void JoinBand(TInterval& span, long double ax, long double ay, long double dx, long double dy, long double r,
              long double yc) {
    const long double len = std::sqrt(dx * dx + dy * dy);
    const auto along = Slab(dx, (yc - ay) * dy - ax * dx, 0, len * len);
    const auto across = Slab(dy, -(yc - ay) * dx - ax * dy, -r * len, r * len);
    if (!along || !across) return;
    span.Join(std::max(along->first, across->first), std::min(along->second, across->second));
}

long long ToColumn(long double v) { return static_cast<long long>(std::clamp(v, -4e18L, 4e18L)); }

}  // namespace

const TDashPattern* DashPatternFor(TPenStyle style) {
    switch (style) {
        case psDash: return &kPatterns[0];
        case psDot: return &kPatterns[1];
        case psDashDot: return &kPatterns[2];
        case psDashDotDot: return &kPatterns[3];
        default: return nullptr;
    }
}

long long AddThinLine(long long x0, long long y0, long long x1, long long y1, const TDashPattern* dash, long long phase,
                      TSpanSet& drawn, TSpanSet* gaps) {
    const long long dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long count = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (count == 0) return phase;
    const int dir = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const TRect& b = drawn.Bounds();
    const auto [first, last] = xMajor ? VisibleSteps(x0, dir, count, b.Left, b.Right)
                                      : VisibleSteps(y0, dir, count, b.Top, b.Bottom);
    const long long minorDelta = xMajor ? dy : dx;
    // A solid line along a row (axes, walls, frames) is one span; a dashed one (grid lines) a
    // span per dash.
    if (minorDelta == 0 && xMajor && dash == nullptr && first < last) {
        const long long from = x0 + dir * first, to = x0 + dir * (last - 1);
        drawn.Add(y0, std::min(from, to), std::max(from, to) + 1);
        return phase;
    }
    if (minorDelta == 0 && xMajor && dash != nullptr) {
        AddDashedRow(x0, y0, dir, first, last, *dash, phase, drawn, gaps);
        return (phase + count) % DashPeriod(*dash);
    }
    for (long long i = first; i < last; ++i) {
        const long long major = (xMajor ? x0 : y0) + dir * i;
        // Along a row or a column every step keeps its minor coordinate: no division.
        const long long minor =
            (xMajor ? y0 : x0) + (minorDelta == 0 ? 0 : RoundedQuotient(static_cast<Int128>(i) * minorDelta, count));
        const long long x = xMajor ? major : minor, y = xMajor ? minor : major;
        if (dash == nullptr || DashDrawn(*dash, phase + i)) {
            drawn.AddPixel(x, y);
        } else if (gaps != nullptr) {
            gaps->AddPixel(x, y);
        }
    }
    return dash == nullptr ? phase : (phase + count) % DashPeriod(*dash);
}

void AddWideLine(long long x0, long long y0, long long x1, long long y1, long long width, TSpanSet& spans) {
    const long double shift = width % 2 == 0 ? 1.0L : 0.5L;  // even widths centre on a pixel corner
    const long double ax = static_cast<long double>(x0) + shift, ay = static_cast<long double>(y0) + shift;
    const long double bx = static_cast<long double>(x1) + shift, by = static_cast<long double>(y1) + shift;
    const long double r = static_cast<long double>(width) / 2;
    const long double top = std::min(ay, by) - r, bottom = std::max(ay, by) + r;
    const long long first = std::max<long long>(static_cast<long long>(std::clamp(top, -4e18L, 4e18L)) - 1, spans.Bounds().Top);
    const long long last = std::min<long long>(static_cast<long long>(std::clamp(bottom, -4e18L, 4e18L)) + 1, spans.Bounds().Bottom);
    for (long long y = first; y < last; ++y) {
        const long double yc = static_cast<long double>(y) + 0.5L;
        TInterval span;
        JoinDisc(span, ax, ay, r, yc);
        JoinDisc(span, bx, by, r, yc);
        if (ax != bx || ay != by) JoinBand(span, ax, ay, bx - ax, by - ay, r, yc);
        if (span.Lo >= span.Hi) continue;
        const long double lo = std::max(span.Lo, static_cast<long double>(spans.Bounds().Left) - 2);
        const long double hi = std::min(span.Hi, static_cast<long double>(spans.Bounds().Right) + 2);
        spans.Add(y, ToColumn(std::floor(lo - 0.5L)) + 1, ToColumn(std::ceil(hi - 0.5L)));
    }
}

}  // namespace tallyhouse::platform
