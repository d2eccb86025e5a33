// The sixteen colours given to points that colour themselves and to the application's colour numbers.
#pragma once

#include <array>

#include "platform/raster/color.h"

extern const std::array<TColor, 16> DefaultPalette;

// Entry index mod 16; a negative index counts back from the end of the table.
TColor PaletteColor(int index);
