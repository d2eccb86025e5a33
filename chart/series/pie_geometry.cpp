// Ellipse, angles and grouping of pie slices, computed without a chart.
#include "chart/series/pie_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

void MakeEven(TRect& r) {
    if ((r.Right - r.Left) % 2 != 0) --r.Right;
    if ((r.Bottom - r.Top) % 2 != 0) --r.Bottom;
    if (r.Right - r.Left < 4) r.Right = r.Left + 4;
    if (r.Bottom - r.Top < 4) r.Bottom = r.Top + 4;
}

}  // namespace

TCircle AdjustCircle(TRect rect) {
    MakeEven(rect);
    TCircle c;
    c.CircleRect = rect;
    c.CircleWidth = rect.Right - rect.Left;
    c.CircleHeight = rect.Bottom - rect.Top;
    c.XCenter = (rect.Left + rect.Right) / 2;
    c.YCenter = (rect.Top + rect.Bottom) / 2;
    return c;
}

TCircle WithRadii(TCircle c, int customXRadius, int customYRadius) {
    if (customXRadius != 0) {
        c.XRadius = customXRadius;
        c.CircleWidth = 2 * customXRadius;
    } else {
        c.XRadius = c.CircleWidth / 2;
    }
    if (customYRadius != 0) {
        c.YRadius = customYRadius;
        c.CircleHeight = 2 * customYRadius;
    } else {
        c.YRadius = c.CircleHeight / 2;
    }
    c.CircleRect = Rect(c.XCenter - c.XRadius, c.YCenter - c.YRadius, c.XCenter + c.XRadius, c.YCenter + c.YRadius);
    return c;
}

TCircle CircleInPlot(TRect plot, int markRoomVertical, int markRoomHorizontal) {
    TCircle c = AdjustCircle(plot);
    if (markRoomVertical == 0 && markRoomHorizontal == 0) return c;
    TRect r = c.CircleRect;
    r.Top += markRoomVertical;
    r.Bottom -= markRoomVertical;
    r.Left += markRoomHorizontal;
    r.Right -= markRoomHorizontal;
    return AdjustCircle(r);
}

TCircle MakeRound(TCircle circle, double aspect, int customXRadius, int customYRadius) {
    const TCircle sized = WithRadii(circle, customXRadius, customYRadius);
    TRect r = circle.CircleRect;
    const int h = Round(sized.YRadius * aspect);
    if (sized.XRadius > h) {
        r.Left += sized.XRadius - h;
        r.Right -= sized.XRadius - h;
    } else {
        const int f = sized.YRadius - Round(sized.XRadius / aspect);
        r.Top += f;
        r.Bottom -= f;
    }
    return AdjustCircle(r);
}

TPoint EllipsePoint(int xCenter, int yCenter, double angle, int xRadius, int yRadius) {
    return Point(xCenter + Round(std::cos(angle) * xRadius), yCenter - Round(std::sin(angle) * yRadius));
}

std::vector<TPieAngle> PieAngles(const std::vector<double>& values, const std::vector<bool>& grouped,
                                 double total) {
    std::vector<TPieAngle> angles(values.size());
    double run = 0;
    double previousEnd = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        TPieAngle& a = angles[i];
        a.StartAngle = previousEnd;
        if (total == 0) {
            a.EndAngle = TwoPi;
        } else {
            if (i >= grouped.size() || !grouped[i]) run += std::fabs(values[i]);
            a.EndAngle = run == total ? TwoPi : run * TwoPi / total;
            if (a.EndAngle - a.StartAngle > TwoPi) a.EndAngle = a.StartAngle + TwoPi;
        }
        a.MidAngle = (a.StartAngle + a.EndAngle) / 2;
        previousEnd = a.EndAngle;
    }
    return angles;
}

TOtherSlice GroupSmallSlices(const std::vector<double>& values, TPieOtherStyle style, double threshold,
                             double total) {
    TOtherSlice other;
    other.Grouped.assign(values.size(), false);
    if (style == poNone) return other;
    for (std::size_t j = 0; j < values.size(); ++j) {
        const double v = style == poBelowPercent ? values[j] * 100 / total : values[j];
        if (v < threshold) {
            other.Grouped[j] = true;
            other.Sum += values[j];
        }
    }
    return other;
}

std::vector<int> SlicesByDistanceFromTop(const std::vector<TPieAngle>& angles, double rotation, int first,
                                         int last) {
    std::vector<std::pair<double, int>> keyed;
    for (int i = first; i <= last && i < static_cast<int>(angles.size()); ++i) {
        double a = angles[i].MidAngle + rotation;
        if (a > TwoPi) a -= TwoPi;
        double d = std::fabs(a - std::numbers::pi / 2);
        if (d > std::numbers::pi) d = TwoPi - d;
        keyed.emplace_back(d, i);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<int> order;
    for (const auto& k : keyed) order.push_back(k.second);
    return order;
}

TRect ShrinkForExplodedSlice(TRect rect, int xRadius, int yRadius, int percent, double midAngle) {
    // The slice moves along its middle direction: cos gives the horizontal part, sin the vertical.
    const double p = percent / 100.0;
    const int dx = Round(xRadius * p * std::fabs(std::cos(midAngle))) / 2;
    const int dy = Round(yRadius * p * std::fabs(std::sin(midAngle))) / 2;
    rect.Left += dx;
    rect.Right -= dx;
    rect.Top += dy;
    rect.Bottom -= dy;
    return rect;
}

}  // namespace tallyhouse::chart
