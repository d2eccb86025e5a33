// A FreeType face at one pixel size with its hinted glyph outlines, cached per thread.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <array>
#include <vector>

#include "platform/font.h"

struct TGlyph {
    FT_Glyph Outline = nullptr;  // hinted for monochrome, origin on the baseline, y up, 26.6
    FT_BBox Box{};               // the outline's control box
    int Advance = 0;             // whole pixels
};

class TFontFace {
public:
    // The face for the font's name, style and size; valid until the next call on this thread.
    static TFontFace& For(const TFont& font);

    TFontFace(const std::vector<unsigned char>& file, int pixels);
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

    // Byte values are Latin-1 code points.
    const TGlyph& Glyph(unsigned char code);
    int TextWidth(const std::string& text);
    FT_Library Library() const;

private:
    FT_Face face_ = nullptr;
    TFontMetrics metrics_;
    int underline_offset_ = 0, underline_thickness_ = 1;
    int strikeout_offset_ = 0, strikeout_thickness_ = 1;
    std::array<TGlyph, 256> glyphs_{};
    std::array<bool, 256> loaded_{};
};

// Pixels per em for a font: its size in points at its resolution, at least 1.
int FontPixels(const TFont& font);
