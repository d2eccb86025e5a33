// Text on the canvas: monochrome glyph outlines rendered only inside the visible part of each glyph.
// The bytes of a text are read as characters by DecodeDisplayText's rule, the whole text at once.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/text/display_text.h"
#include "platform/text/font_face.h"
#include "platform/raster/raster_canvas.h"
#include "platform/raster/raster_clip.h"
#include "platform/raster/raster_paint.h"
#include "platform/raster/raster_polygon.h"

namespace tallyhouse::platform {

namespace {

constexpr long double kDegree = std::numbers::pi_v<long double> / 180;
constexpr long long kWholeGlyphPixels = 1LL << 20;

// Text-frame vectors (u along the baseline, v downward) turned onto the screen, in 26.6 units.
struct TTurn {
    long double Cos = 1, Sin = 0;
    long double X(long double u, long double v) const { return u * Cos + v * Sin; }
    long double Y(long double u, long double v) const { return -u * Sin + v * Cos; }
    bool Upright() const { return Cos == 1 && Sin == 0; }
};

TTurn TurnFor(double angleDegrees) {
    const long double a = std::fmod(static_cast<long double>(angleDegrees), 360.0L);
    if (a == 0) return TTurn{};
    if (a == 90 || a == -270) return TTurn{0, 1};
    if (a == 180 || a == -180) return TTurn{-1, 0};
    if (a == 270 || a == -90) return TTurn{0, -1};
    return TTurn{std::cos(a * kDegree), std::sin(a * kDegree)};
}

long long FloorDiv64(long long v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }
long long CeilDiv64(long long v) { return -FloorDiv64(-v); }

long long Fixed(long double v) { return std::llround(std::clamp(v, -1e15L, 1e15L)); }

// The screen pixels the glyph's box may touch when its origin is at (ox, oy) (26.6, y down).
TRect GlyphWindow(const FT_BBox& box, long long ox, long long oy, const TRect& visible) {
    const long long x0 = std::max<long long>(FloorDiv64(ox + box.xMin), visible.Left);
    const long long x1 = std::min<long long>(CeilDiv64(ox + box.xMax), visible.Right);
    const long long y0 = std::max<long long>(FloorDiv64(oy - box.yMax), visible.Top);
    const long long y1 = std::min<long long>(CeilDiv64(oy - box.yMin), visible.Bottom);
    if (x0 >= x1 || y0 >= y1) return TRect();
    return Rect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1));
}

void AddBits(const TGlyphBits& bits, long long dx, long long dy, TSpanSet& spans) {
    const long long left = dx + bits.Left, top = dy + bits.Top;
    for (const TInkRun& run : bits.Runs) spans.Add(top + run.Row, left + run.From, left + run.To);
}

// The glyph's box turned like the text, so far-off glyphs are skipped before any copy is made.
FT_BBox TurnedBox(const FT_BBox& b, const TTurn& turn) {
    if (turn.Upright()) return b;
    const std::array<std::array<long double, 2>, 4> corners{{{static_cast<long double>(b.xMin), static_cast<long double>(b.yMin)},
                                                             {static_cast<long double>(b.xMax), static_cast<long double>(b.yMin)},
                                                             {static_cast<long double>(b.xMin), static_cast<long double>(b.yMax)},
                                                             {static_cast<long double>(b.xMax), static_cast<long double>(b.yMax)}}};
    FT_BBox out{0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF, -0x7FFFFFFF};
    for (const auto& [x, y] : corners) {
        // y up here: a counter-clockwise turn is the usual rotation matrix.
        const FT_Pos tx = static_cast<FT_Pos>(std::floor(x * turn.Cos - y * turn.Sin));
        const FT_Pos ty = static_cast<FT_Pos>(std::floor(x * turn.Sin + y * turn.Cos));
        out.xMin = std::min(out.xMin, tx - 1);
        out.xMax = std::max(out.xMax, tx + 1);
        out.yMin = std::min(out.yMin, ty - 1);
        out.yMax = std::max(out.yMax, ty + 1);
    }
    return out;
}

void AddGlyph(TFontFace& face, char32_t code, const TTurn& turn, long long ox, long long oy, TSpanSet& spans) {
    const TGlyph& glyph = face.Glyph(code);
    if (!glyph.HasOutline) return;
    const FT_BBox box = TurnedBox(glyph.Box, turn);
    TRect window = GlyphWindow(box, ox, oy, spans.Bounds());
    if (window.Width() <= 0) return;
    // The rasteriser's drop-out control depends a little on the window, so a glyph that is not too
    // big is rendered whole and clipping only cuts it; a huge one is rendered in its visible part.
    const TRect whole = GlyphWindow(box, ox, oy, Rect(-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF));
    if (static_cast<long long>(whole.Width()) * whole.Height() <= kWholeGlyphPixels) window = whole;
    if (turn.Upright() && face.CachesBits() && ox % 64 == 0 && oy % 64 == 0) {
        AddBits(face.Bits(code), ox / 64, oy / 64, spans);
        return;
    }
    FT_Glyph copy = nullptr;
    if (FT_Glyph_Copy(face.Outline(code), &copy) != 0) return;
    if (!turn.Upright()) {
        FT_Matrix m{static_cast<FT_Fixed>(std::lround(turn.Cos * 65536)), static_cast<FT_Fixed>(std::lround(-turn.Sin * 65536)),
                    static_cast<FT_Fixed>(std::lround(turn.Sin * 65536)), static_cast<FT_Fixed>(std::lround(turn.Cos * 65536))};
        FT_Glyph_Transform(copy, &m, nullptr);
    }
    AddBits(RenderOutline(face.Library(), reinterpret_cast<FT_OutlineGlyph>(copy)->outline, ox, oy, window.Left, window.Top,
                          window.Width(), window.Height()),
            0, 0, spans);
    FT_Done_Glyph(copy);
}

// A band of the text frame (u0..u1 along the baseline, v0..v1 below it) as a turned quadrilateral.
void AddBand(const TTurn& turn, long double ox, long double oy, long double u0, long double u1, long double v0,
             long double v1, TSpanSet& spans) {
    auto corner = [&](long double u, long double v) {
        return Point(static_cast<int>(std::clamp(std::round(ox + turn.X(u, v)), -2e9L, 2e9L)),
                     static_cast<int>(std::clamp(std::round(oy + turn.Y(u, v)), -2e9L, 2e9L)));
    };
    const std::array<TPoint, 4> quad{corner(u0, v0), corner(u1, v0), corner(u1, v1), corner(u0, v1)};
    AddPolygonSpans(quad, spans);
}

}  // namespace

int TRasterCanvas::TextWidth(std::string_view text) { return TFontFace::For(Font).TextWidth(text); }

int TRasterCanvas::TextHeight(const std::string&) { return TFontFace::For(Font).Metrics().Height; }

TFontMetrics TRasterCanvas::FontMetrics() { return TFontFace::For(Font).Metrics(); }

void TRasterCanvas::TextOut(int x, int y, const std::string& text) {
    DrawText(x, y, text, 0, Brush.Style == TBrushStyle::bsSolid);
}

void TRasterCanvas::RotatedText(int x, int y, const std::string& text, double angleDegrees) {
    DrawText(x, y, text, angleDegrees, false);
}

void TRasterCanvas::DrawText(int x, int y, const std::string& text, double angleDegrees, bool background) {
    if (target_ == nullptr) return;
    TFontFace& face = TFontFace::For(Font);
    const TFontMetrics& m = face.Metrics();
    thread_local std::u32string codes;  // kept for its storage: charts draw a text per point
    DecodeDisplayText(text, codes);
    const long long width = face.TextWidth(codes);
    const unsigned horizontal = text_align_ & TA_HORIZONTAL_MASK, vertical = text_align_ & TA_VERTICAL_MASK;
    const long long u = horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? -(width / 2) : 0;
    const long long v = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -m.Descent : m.Ascent;
    const TTurn turn = TurnFor(angleDegrees);
    // Baseline start on the screen.
    const long double bx = x + turn.X(static_cast<long double>(u), static_cast<long double>(v));
    const long double by = y + turn.Y(static_cast<long double>(u), static_cast<long double>(v));
    if (background && turn.Upright()) {
        TSpanSet cell(Visible());
        AddBand(turn, bx, by, 0, static_cast<long double>(width), -m.Ascent, m.Descent, cell);
        PaintWith(cell, TPixelOp::Solid(Brush.Color));
    }
    TSpanSet ink(Visible());
    long long advanced = 0;
    for (const char32_t code : codes) {
        const long double a = static_cast<long double>(advanced);
        AddGlyph(face, code, turn, Fixed((bx + turn.X(a, 0)) * 64), Fixed((by + turn.Y(a, 0)) * 64), ink);
        advanced += face.Glyph(code).Advance;
    }
    const long double w = static_cast<long double>(width);
    if (Font.Has(fsUnderline)) {
        AddBand(turn, bx, by, 0, w, face.UnderlineOffset(), face.UnderlineOffset() + face.UnderlineThickness(), ink);
    }
    if (Font.Has(fsStrikeOut)) {
        AddBand(turn, bx, by, 0, w, -face.StrikeOutOffset(), -face.StrikeOutOffset() + face.StrikeOutThickness(), ink);
    }
    PaintWith(ink, TPixelOp::Solid(Font.Color));
}

}  // namespace tallyhouse::platform
