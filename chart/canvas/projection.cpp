// The oblique and rotated projections, computed in extended precision and saturated to int.
#include "chart/canvas/projection.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

constexpr long double kDegToRad = 0.017453292519943295769L;

int Saturate(std::int64_t v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// Round(value) + offset (ties to even) without int overflow.
int RoundPlus(long double value, int offset) {
    if (!(value == value)) return offset;
    constexpr long double kLimit = 4.0e18L;
    const long double r = RoundHalfEven(value);
    if (r >= kLimit) return std::numeric_limits<int>::max();
    if (r <= -kLimit) return std::numeric_limits<int>::min();
    return Saturate(static_cast<std::int64_t>(r) + offset);
}

}  // namespace

void TProjection3D::Begin(const TView3DOptions* options, bool is3D) {
    Enabled3D = is3D;
    ViewScale = 1.0;
    if (Enabled3D && options) {
        OrthoView = options->Orthogonal;
        ViewScale = options->Zoom * 0.01;
        if (!OrthoView) ComputeRotation(*options);
    }
}

void TProjection3D::SetViewCentre(const TView3DOptions* options, int depth, const TRect& plotRect) {
    ViewCenterX = static_cast<int>((static_cast<std::int64_t>(plotRect.Left) + plotRect.Right) / 2);
    ViewCenterY = static_cast<int>((static_cast<std::int64_t>(plotRect.Top) + plotRect.Bottom) / 2);
    ScreenCenterX = Saturate(static_cast<std::int64_t>(ViewCenterX) + (options ? options->HorizOffset : 0));
    ScreenCenterY = Saturate(static_cast<std::int64_t>(ViewCenterY) + (options ? options->VertOffset : 0));
    ViewCenterZ = depth / 2;
}

void TProjection3D::ComputeRotation(const TView3DOptions& options) {
    const long double r = options.Rotation * kDegToRad;
    const long double e = options.Elevation * kDegToRad;
    const long double t = options.Tilt * kDegToRad;
    const long double sR = std::sin(r), cR = std::cos(r);
    const long double sE = std::sin(e), cE = std::cos(e);
    const long double sT = std::sin(t), cT = std::cos(t);
    Cxx = static_cast<double>(sR * sE * sT + cR * cT);
    Cxy = static_cast<double>(cE * sT);
    Cxz = static_cast<double>(cR * sE * sT - sR * cT);
    Cyx = static_cast<double>(sR * sE * cT - cR * sT);
    Cyy = static_cast<double>(cE * cT);
    Cyz = static_cast<double>(cR * sE * cT + sR * sT);
}

TPoint TProjection3D::Project(int x, int y, int z) const {
    if (!Enabled3D) return TPoint{x, y};
    const long double scale = ViewScale;
    if (OrthoView) {
        const long double px = static_cast<long double>(x) + z - ViewCenterX;
        const long double py = static_cast<long double>(y) - ViewCenterY - z;
        return TPoint{RoundPlus(px * scale, ScreenCenterX), RoundPlus(py * scale, ScreenCenterY)};
    }
    const long double dx = static_cast<long double>(x) - ViewCenterX;
    const long double dy = static_cast<long double>(y) - ViewCenterY;
    const long double dz = static_cast<long double>(z) - ViewCenterZ;
    const long double px = dx * Cxx + dy * Cxy + dz * Cxz;
    const long double py = dx * Cyx + dy * Cyy + dz * Cyz;
    return TPoint{RoundPlus(px * scale, ScreenCenterX), RoundPlus(py * scale, ScreenCenterY)};
}

void TProjection3D::Unproject(int& x, int& y, int z) const {
    if (!Enabled3D || !OrthoView || ViewScale == 0.0) return;
    const long double scale = ViewScale;
    x = RoundPlus((static_cast<long double>(x) - ScreenCenterX) / scale,
                  Saturate(static_cast<std::int64_t>(ViewCenterX) - z));
    y = RoundPlus((static_cast<long double>(y) - ScreenCenterY) / scale,
                  Saturate(static_cast<std::int64_t>(ViewCenterY) + z));
}

}  // namespace tallyhouse::chart
