// Glyphs of the chart font made when the program was built: the advances, boxes and bits FreeType
// gives, so that a process drawing a chart needs neither to load and hint the face nor to render.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/text/font.h"
#include "platform/text/font_files.h"

namespace tallyhouse::platform {

struct TPrebuiltGlyph {
    bool Present = false;  // false: the face does not draw this code point itself
    bool HasOutline = false;
    int Advance = 0;
    FT_BBox Box{};
    int Left = 0, Top = 0, Width = 0, Height = 0, Pitch = 0;  // as in TGlyphBits
    std::uint32_t BitsAt = 0;                                 // where its rows start in the face's bits
};

struct TPrebuiltFace {
    int Pixels = 0;
    long FreeTypeVersion = 0;  // FreeTypeVersion() of the library that drew it
    std::size_t FileSize = 0;
    // The font file's table directory, which holds a checksum of every table: the same bytes
    // mean the same font.
    std::span<const unsigned char> Directory;
    TFontMetrics Metrics;
    int UnderlineOffset = 0, UnderlineThickness = 1, StrikeOutOffset = 0, StrikeOutThickness = 1;
    std::span<const TPrebuiltGlyph> Latin1;  // by code point, 0 to 255
    std::span<const char32_t> OtherCodes;    // ascending
    std::span<const TPrebuiltGlyph> Others;  // in the order of OtherCodes
    const unsigned char* Bits = nullptr;
};

// The faces made at build time (defined in the source the glyph maker writes).
std::span<const TPrebuiltFace> PrebuiltFaces();

// The major, minor and patch number of the FreeType library in one number.
long FreeTypeVersion(FT_Library library);
// The bytes of a font file's table directory (empty when it is not a font file).
std::span<const unsigned char> TableDirectory(TFontFileBytes file);

// The prebuilt face for this font file at this size, drawn by this FreeType; nullptr when none.
const TPrebuiltFace* FindPrebuiltFace(TFontFileBytes file, int pixels, FT_Library library);
// The face's own glyph of the code point, nullptr when it has none prebuilt.
const TPrebuiltGlyph* FindPrebuiltGlyph(const TPrebuiltFace& face, char32_t code);

}  // namespace tallyhouse::platform
