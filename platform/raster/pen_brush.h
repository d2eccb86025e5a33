// The pen and brush a raster canvas draws with, and the background mode behind hatches and text.
#pragma once

#include "platform/raster/color.h"

namespace tallyhouse::platform {

class TBitmap;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
// pmNotXor turns each pixel into NOT (pixel XOR pen colour): drawing the same line twice restores it.
enum class TPenMode { pmCopy, pmNotXor };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = TPenMode::pmCopy;
    // False for a clear pen or one without a colour: lines and outlines then draw nothing.
    bool Draws() const { return Style != psClear && Color != clNone; }
    friend bool operator==(const TPen&, const TPen&) = default;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
    // A pattern tiled from the raster's origin instead of the colour; not owned, may be null.
    const TBitmap* Bitmap = nullptr;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

// Background modes with their Windows values: behind hatch gaps, dash gaps and text cells.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

}  // namespace tallyhouse::platform
