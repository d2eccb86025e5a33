// How covered pixels change: copied colour, not-xor, hatch or pattern brush.
#pragma once

#include "platform/raster/bitmap.h"
#include "platform/raster/pen_brush.h"
#include "platform/raster/raster_spans.h"

namespace tallyhouse::platform {

class TClipRegion;

class TPixelOp {
public:
    static TPixelOp None();
    static TPixelOp Solid(TColor color);
    static TPixelOp ForPen(const TPen& pen);
    // Hatch gaps take the background colour when the mode is OPAQUE and stay untouched otherwise.
    // Hatch cells are 8 x 8 squares of cellScale x cellScale pixels.
    static TPixelOp ForBrush(const TBrush& brush, TColor bkColor, int bkMode, int cellScale = 1);

    bool Draws() const { return kind_ != Kind::None; }
    // True when painting a pixel twice leaves what painting it once does: all but not-xor.
    bool SameWhenRepeated() const { return kind_ != Kind::NotXor; }
    // Columns x0..x1-1 of row y, already inside the raster.
    void Paint(TBitmap& bitmap, int y, int x0, int x1) const;

private:
    enum class Kind { None, Copy, NotXor, Hatch, Pattern };
    bool HatchBit(int x, int y) const;

    Kind kind_ = Kind::None;
    TColor color_ = 0;
    TColor back_ = 0;
    bool opaque_ = false;
    TBrushStyle hatch_ = TBrushStyle::bsSolid;
    int cellScale_ = 1;
    const TBitmap* pattern_ = nullptr;
};

// Paints every span of the set that lies inside the clip region.
void PaintSpans(TBitmap& bitmap, const TClipRegion& clip, TSpanSet& spans, const TPixelOp& op);

}  // namespace tallyhouse::platform
