// The default palette, a process-wide constant table.
#include "chart/model/palette.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

const std::array<TColor, 16> DefaultPalette = {
    clRed, clGreen, clYellow, clBlue, clWhite, clGray, clFuchsia, clTeal,
    clNavy, clMaroon, clLime, clOlive, clPurple, clSilver, clAqua, clBlack,
};

TColor PaletteColor(int index) {
    const int n = static_cast<int>(DefaultPalette.size());
    int i = index % n;
    if (i < 0) i += n;
    return DefaultPalette[static_cast<std::size_t>(i)];
}

}  // namespace tallyhouse::chart
