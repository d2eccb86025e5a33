// Scanline filling: crossings of each row's centre line with the edges, paired left to right.
#include "platform/raster/raster_polygon.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tallyhouse::platform {

namespace {

struct TEdge {
    long long X0, Y0, X1, Y1;  // Y0 < Y1: every edge runs downward, whichever way it was given
};

std::vector<TEdge> EdgesOf(std::span<const TPoint> points) {
    std::vector<TEdge> edges;
    edges.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TPoint& a = points[i];
        const TPoint& b = points[(i + 1) % points.size()];
        if (a.Y == b.Y) continue;
        if (a.Y < b.Y) {
            edges.push_back(TEdge{a.X, a.Y, b.X, b.Y});
        } else {
            edges.push_back(TEdge{b.X, b.Y, a.X, a.Y});
        }
    }
    return edges;
}

// First column whose centre lies at or right of x.
long long FirstColumnFrom(long double x) {
    const long double limit = 4e18L;
    return static_cast<long long>(std::ceil(std::clamp(x - 0.5L, -limit, limit)));
}

}  // namespace

void AddPolygonSpans(std::span<const TPoint> points, TSpanSet& spans) {
    if (points.size() < 3) return;
    const std::vector<TEdge> edges = EdgesOf(points);
    long long top = edges.empty() ? 0 : edges.front().Y0, bottom = top;
    for (const TEdge& e : edges) {
        top = std::min(top, e.Y0);
        bottom = std::max(bottom, e.Y1);
    }
    const long long first = std::max<long long>(top, spans.Bounds().Top);
    const long long last = std::min<long long>(bottom, spans.Bounds().Bottom);
    std::vector<long long> crossings;
    for (long long y = first; y < last; ++y) {
        const long double centre = static_cast<long double>(y) + 0.5L;
        crossings.clear();
        for (const TEdge& e : edges) {
            if (y < e.Y0 || y >= e.Y1) continue;
            const long double x = static_cast<long double>(e.X0) + (centre - static_cast<long double>(e.Y0)) *
                                                                       static_cast<long double>(e.X1 - e.X0) /
                                                                       static_cast<long double>(e.Y1 - e.Y0);
            crossings.push_back(FirstColumnFrom(x));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) spans.Add(y, crossings[i], crossings[i + 1]);
    }
}

}  // namespace tallyhouse::platform
