// Pixel operations on rows of a 24-bit raster.
#include "platform/raster/raster_paint.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/raster/raster_clip.h"

namespace tallyhouse::platform {

namespace {

void Put(std::uint8_t* p, TColor c) {
    p[0] = GetRValue(c);
    p[1] = GetGValue(c);
    p[2] = GetBValue(c);
}

// Count pixels of one colour: a grey (white panels, silver walls, black lines: most of what is
// filled) byte by byte, another colour four pixels (three words) at a time.
void Fill(std::uint8_t* p, int count, TColor c) {
    if (count == 1) {
        Put(p, c);
        return;
    }
    if (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) {
        std::memset(p, GetRValue(c), static_cast<std::size_t>(count) * 3);
        return;
    }
    // Bytes R G B R, G B R G, B R G B, each word read lowest byte first.
    static_assert(std::endian::native == std::endian::little);
    const std::uint32_t rgb = GetRValue(c) | GetGValue(c) << 8 | static_cast<std::uint32_t>(GetBValue(c)) << 16;
    const std::uint32_t four[3] = {rgb | rgb << 24, rgb >> 8 | rgb << 16, rgb >> 16 | rgb << 8};
    int x = 0;
    for (; x + 4 <= count; x += 4, p += 12) std::memcpy(p, four, sizeof four);
    for (; x < count; ++x, p += 3) Put(p, c);
}

}  // namespace

TPixelOp TPixelOp::None() { return TPixelOp(); }

TPixelOp TPixelOp::Solid(TColor color) {
    TPixelOp op;
    if (color == clNone) return op;
    op.kind_ = Kind::Copy;
    op.color_ = ColorToRGB(color);
    return op;
}

TPixelOp TPixelOp::ForPen(const TPen& pen) {
    if (!pen.Draws()) return None();
    TPixelOp op = Solid(pen.Color);
    if (pen.Mode == TPenMode::pmNotXor) op.kind_ = Kind::NotXor;
    return op;
}

TPixelOp TPixelOp::ForBrush(const TBrush& brush, TColor bkColor, int bkMode, int cellScale) {
    if (brush.Bitmap != nullptr && brush.Bitmap->Width() > 0 && brush.Bitmap->Height() > 0) {
        TPixelOp op;
        op.kind_ = Kind::Pattern;
        op.pattern_ = brush.Bitmap;
        return op;
    }
    if (brush.Style == TBrushStyle::bsClear || brush.Color == clNone) return None();
    TPixelOp op = Solid(brush.Color);
    if (brush.Style != TBrushStyle::bsSolid) {
        op.kind_ = Kind::Hatch;
        op.hatch_ = brush.Style;
        op.back_ = ColorToRGB(bkColor);
        op.opaque_ = bkMode == OPAQUE && bkColor != clNone;
        op.cellScale_ = cellScale > 1 ? cellScale : 1;
    }
    return op;
}

// 8 x 8 hatch cells anchored at the raster's origin, so neighbouring shapes line up.
bool TPixelOp::HatchBit(int x, int y) const {
    const int u = (x / cellScale_) & 7, v = (y / cellScale_) & 7;
    const bool horizontal = v == 0, vertical = u == 0;
    const bool forward = ((u - v) & 7) == 0, backward = ((u + v) & 7) == 7;
    switch (hatch_) {
        case TBrushStyle::bsHorizontal: return horizontal;
        case TBrushStyle::bsVertical: return vertical;
        case TBrushStyle::bsFDiagonal: return forward;
        case TBrushStyle::bsBDiagonal: return backward;
        case TBrushStyle::bsCross: return horizontal || vertical;
        case TBrushStyle::bsDiagCross: return forward || backward;
        default: return true;
    }
}

void TPixelOp::Paint(TBitmap& bitmap, int y, int x0, int x1) const {
    std::uint8_t* p = bitmap.Row(y) + static_cast<std::ptrdiff_t>(x0) * 3;
    switch (kind_) {
        case Kind::None: return;
        case Kind::Copy:
            Fill(p, x1 - x0, color_);
            return;
        case Kind::NotXor:
            for (int x = x0; x < x1; ++x, p += 3) {
                p[0] = static_cast<std::uint8_t>(~(p[0] ^ GetRValue(color_)));
                p[1] = static_cast<std::uint8_t>(~(p[1] ^ GetGValue(color_)));
                p[2] = static_cast<std::uint8_t>(~(p[2] ^ GetBValue(color_)));
            }
            return;
        case Kind::Hatch:
            for (int x = x0; x < x1; ++x, p += 3) {
                if (HatchBit(x, y)) {
                    Put(p, color_);
                } else if (opaque_) {
                    Put(p, back_);
                }
            }
            return;
        case Kind::Pattern: {
            const int w = pattern_->Width(), h = pattern_->Height();
            for (int x = x0; x < x1; ++x, p += 3) Put(p, pattern_->GetPixel(x % w, y % h));
            return;
        }
    }
}

// Only not-xor needs the spans in order and merged, so that no pixel is painted twice; any other
// painting takes them as they came.
void PaintSpans(TBitmap& bitmap, const TClipRegion& clip, TSpanSet& spans, const TPixelOp& op) {
    if (!op.Draws()) return;
    const auto paint = [&](int y, int x0, int x1) {
        clip.Visit(y, x0, x1, [&](int a, int b) { op.Paint(bitmap, y, a, b); });
    };
    if (op.SameWhenRepeated())
        spans.ForEachAsAdded(paint);
    else
        spans.ForEach(paint);
}

}  // namespace tallyhouse::platform
