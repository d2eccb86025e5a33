// A FreeType face at one pixel size with its hinted glyph outlines, cached per thread; characters
// the face lacks come from the fallback face at the same size.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text/font.h"
#include "platform/text/font_files.h"
#include "platform/text/prebuilt_glyphs.h"

namespace tallyhouse::platform {

struct TGlyph {
    FT_Glyph Outline = nullptr;  // hinted for monochrome, origin on the baseline, y up, 26.6
    FT_BBox Box{};               // the outline's control box
    int Advance = 0;             // whole pixels
    bool HasOutline = false;     // a prebuilt glyph has one even while Outline is not loaded
};

// Columns From..To-1 of row Row of a glyph's bits, all ink.
struct TInkRun {
    int Row, From, To;
};

// A glyph rendered upright at its origin: bit (c, r) set means pixel (Left + c, Top + r) is ink,
// with y downward from the baseline. Runs holds the same ink row by row, left to right, found
// once when the bits are made: a glyph is drawn many times from its runs.
struct TGlyphBits {
    int Left = 0, Top = 0, Width = 0, Height = 0, Pitch = 0;
    std::vector<unsigned char> Bits;
    std::vector<TInkRun> Runs;
    bool Ink(int c, int r) const { return (Bits[static_cast<std::size_t>(r * Pitch + (c >> 3))] & (0x80 >> (c & 7))) != 0; }
    // Fills Runs from Bits.
    void FindRuns();
};

// Renders the outline (origin at (ox, oy) in 26.6 screen units, y down) into the screen pixels of
// window only, so a huge glyph costs no more than the part that can be seen. Moves the outline.
TGlyphBits RenderOutline(FT_Library library, FT_Outline& outline, long long ox, long long oy, int left, int top,
                         int width, int height);

class TFontFace {
public:
    // The face for the font's name, style and size; valid until the next call on this thread.
    static TFontFace& For(const TFont& font);

    // Bold picks the bold fallback face. With prebuilt, the glyphs made at build time for this
    // file and size are taken where there are some (prebuilt_glyphs.h).
    TFontFace(TFontFileBytes file, int pixels, bool bold, bool prebuilt = true);
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

    const TFontMetrics& Metrics() const { return metrics_; }
    // Rows below the baseline where the underline starts, and its thickness.
    int UnderlineOffset() const { return underline_offset_; }
    int UnderlineThickness() const { return underline_thickness_; }
    // Rows above the baseline where the strike-out line's top lies, and its thickness.
    int StrikeOutOffset() const { return strikeout_offset_; }
    int StrikeOutThickness() const { return strikeout_thickness_; }

    // The glyph of a Unicode code point: this face's, else the fallback face's, else this face's
    // missing-glyph box. Control characters are always this face's.
    const TGlyph& Glyph(char32_t code);
    // The glyph's hinted outline, loaded now if it was prebuilt; nullptr when it has none.
    FT_Glyph Outline(char32_t code);
    // True when the glyph of the code point is this face's own, not the fallback face's.
    bool OwnGlyph(char32_t code);
    // The upright bitmap, rendered once; only kept for sizes where CachesBits() holds.
    const TGlyphBits& Bits(char32_t code);
    bool CachesBits() const { return pixels_ <= 256; }
    int TextWidth(std::u32string_view codes);
    // The width of bytes read as characters by DecodeDisplayText's rule.
    int TextWidth(std::string_view bytes);
    FT_Library Library() const;

private:
    struct TGlyphCell {
        TGlyph Glyph;
        TGlyphBits Bits;
        bool Loaded = false, Rendered = false;
    };
    TGlyphCell& Cell(char32_t code);
    // The FreeType face, opened on first use when the glyphs were prebuilt.
    FT_Face Face();
    void MeasureFace();
    void Load(char32_t code, TGlyph& glyph);
    void LoadOutline(char32_t code, TGlyph& glyph);
    const TGlyph& Loaded(TGlyphCell& cell, char32_t code);
    FT_Face FallbackFace();
    // The advance of a glyph not measured yet, or of one beyond the array.
    int Advance(char32_t code);
    int AdvanceOf(char32_t code) { return code < advances_.size() && advances_[code] >= 0 ? advances_[code] : Advance(code); }
    // The width of the part of a text from its first byte above ASCII on, read by either half of
    // the rule.
    long long Utf8Width(std::string_view bytes);
    long long Windows1252Width(std::string_view bytes);

    TFontFileBytes file_;
    const TPrebuiltFace* prebuilt_ = nullptr;
    FT_Face face_ = nullptr;
    FT_Face fallback_ = nullptr;
    bool fallback_opened_ = false, bold_ = false;
    TFontMetrics metrics_;
    int underline_offset_ = 0, underline_thickness_ = 1;
    int strikeout_offset_ = 0, strikeout_thickness_ = 1;
    // Code points below 256 (every Latin-1 text) by an array, made as they are first asked for
    // (a chart asks for a few dozen); the others in a map that only keeps glyphs some face has,
    // so its size is bounded by the two fonts.
    std::array<std::unique_ptr<TGlyphCell>, 256> latin1_{};
    std::unordered_map<char32_t, TGlyphCell> others_;
    TGlyphCell missing_;
    // Advance widths in pixels, -1 until the glyph is loaded: text widths are measured for every
    // legend row and mark of a chart, a few instructions a character. By code point; by byte for
    // ASCII, whose upper half stays -1 so one test per byte finds both a byte to load and the end
    // of the ASCII part of a text; and by byte read as windows-1252.
    std::array<int, 256> advances_;
    std::array<int, 256> ascii_advances_;
    std::array<int, 256> windows1252_advances_;
    int pixels_ = 0;
};

// Pixels per em for a font: its size in points at its resolution, at least 1.
int FontPixels(const TFont& font);

}  // namespace tallyhouse::platform
