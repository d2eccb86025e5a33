// The glyphs made at build time are the ones FreeType draws now, and a face takes them only for
// the font file, size and FreeType they were made with.
#include <gtest/gtest.h>

#include <vector>

#include "platform/text/display_text.h"
#include "platform/text/font_face.h"
#include "platform/text/prebuilt_glyphs.h"

using namespace tallyhouse::platform;

namespace {

constexpr int kPixels = 11;  // 8 points at 96 pixels per inch

std::vector<char32_t> Latin1AndWindows1252() {
    std::vector<char32_t> codes;
    for (char32_t code = 0; code < 256; ++code) codes.push_back(code);
    for (int byte = 0x80; byte < 0xA0; ++byte) codes.push_back(Windows1252Char(static_cast<unsigned char>(byte)));
    return codes;
}

TEST(PrebuiltGlyphs, EveryGlyphIsTheOneFreeTypeDraws) {
    const TFontFileBytes file = FontFileData("Arial", false, false);
    TFontFace drawn(file, kPixels, false, false);
    TFontFace prebuilt(file, kPixels, false, true);
    ASSERT_NE(FindPrebuiltFace(file, kPixels, drawn.Library()), nullptr) << "the build made no glyphs of the chart font";
    EXPECT_EQ(prebuilt.Metrics().Height, drawn.Metrics().Height);
    EXPECT_EQ(prebuilt.Metrics().Ascent, drawn.Metrics().Ascent);
    EXPECT_EQ(prebuilt.UnderlineOffset(), drawn.UnderlineOffset());
    EXPECT_EQ(prebuilt.StrikeOutOffset(), drawn.StrikeOutOffset());
    for (const char32_t code : Latin1AndWindows1252()) {
        SCOPED_TRACE(static_cast<unsigned>(code));
        const TGlyph &a = prebuilt.Glyph(code), &b = drawn.Glyph(code);
        EXPECT_EQ(a.Advance, b.Advance);
        EXPECT_EQ(a.HasOutline, b.HasOutline);
        EXPECT_EQ(a.Box.xMin, b.Box.xMin);
        EXPECT_EQ(a.Box.yMax, b.Box.yMax);
        const TGlyphBits &p = prebuilt.Bits(code), &d = drawn.Bits(code);
        EXPECT_EQ(std::vector<int>({p.Left, p.Top, p.Width, p.Height}), std::vector<int>({d.Left, d.Top, d.Width, d.Height}));
        EXPECT_EQ(p.Bits, d.Bits);
        // A prebuilt glyph turned or placed between pixels needs its outline after all.
        EXPECT_EQ(prebuilt.Outline(code) != nullptr, b.HasOutline);
    }
}

TEST(PrebuiltGlyphs, OnlyTheFileAndSizeTheyWereMadeFor) {
    const TFontFileBytes file = FontFileData("Arial", false, false);
    TFontFace face(file, kPixels, false, false);
    std::vector<unsigned char> changed(file.begin(), file.end());
    changed[16] ^= 1;  // the checksum of the first table
    struct Case {
        const char* fault;
        TFontFileBytes file;
        int pixels;
        bool found;
    };
    const Case cases[] = {
        {"the chart font at its size", file, kPixels, true},
        {"another size drawn with the glyphs of 11 pixels", file, kPixels + 1, false},
        {"another file taken for the same", FontFileData("Arial", true, false), kPixels, false},
        {"a changed table taken for the same", changed, kPixels, false},
        {"too short to be a font", file.first(11), kPixels, false},
    };
    for (const Case& c : cases) EXPECT_EQ(FindPrebuiltFace(c.file, c.pixels, face.Library()) != nullptr, c.found) << c.fault;
}

}  // namespace
