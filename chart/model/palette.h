// The sixteen colours given to points that colour themselves and to the application's colour numbers.
#pragma once

#include <array>

#include "platform/raster/color.h"

namespace tallyhouse::chart {

extern const std::array<platform::TColor, 16> DefaultPalette;

// Entry index mod 16; a negative index counts back from the end of the table.
platform::TColor PaletteColor(int index);

}  // namespace tallyhouse::chart
