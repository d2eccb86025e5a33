// Stacked positions and slope test of area bands.
#include "chart/series/area_geometry.h"

namespace tallyhouse::chart {

std::optional<double> StackedAreaValue(TMultiArea multiArea, double value, double below, double total) {
    if (multiArea != maStacked100) return value + below;
    if (total == 0) return std::nullopt;
    return (value + below) * 100 / total;
}

bool RisesSteeply(int oldX, int oldY, int x, int y, double steepSlope) {
    if (x == oldX) return false;
    return static_cast<double>(oldY - y) / (x - oldX) > steepSlope;
}

}  // namespace tallyhouse::chart
