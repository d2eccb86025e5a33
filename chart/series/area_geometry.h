// Stacking modes of area series and the pure geometry of their bands.
#pragma once

#include <optional>

namespace tallyhouse::chart {

enum TMultiArea { maNone, maStacked, maStacked100 };

// The value a stacked point is drawn at: value plus the sum below it, or that as a percentage of
// the total of the stack. Empty when the percentage has no total (the caller uses pixel 0).
std::optional<double> StackedAreaValue(TMultiArea multiArea, double value, double below, double total);

// Whether the edge from (oldX, oldY) up to (x, y) rises more steeply than the depth direction.
bool RisesSteeply(int oldX, int oldY, int x, int y, double steepSlope);

}  // namespace tallyhouse::chart
