// Characters on the canvas: the bytes of a text read by the display rule, glyphs by code point,
// characters Liberation lacks from DejaVu Sans, and the box for those no font has.
#include <gtest/gtest.h>

#include <string>

#include "platform/text/display_text.h"
#include "platform/text/font_face.h"
#include "platform/text/font_files.h"
#include "platform/raster/raster_canvas.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

namespace {

constexpr int kPixels = 11;  // 8 points at 96 pixels per inch

struct Drawing {
    int width = 0;
    TBitmap bitmap{90, 24, clWhite};
};

// The text in 8-point Arial, its baseline at (4, 16).
Drawing Draw(const std::string& text) {
    Drawing d;
    TRasterCanvas c(&d.bitmap);
    c.Font.Size = 8;
    c.Brush.Style = TBrushStyle::bsClear;
    c.SetTextAlign(TA_LEFT | TA_BASELINE);
    c.TextOut(4, 16, text);
    d.width = c.TextWidth(text);
    return d;
}

// One glyph of a face drawn as TextOut draws it: its bits placed at the baseline origin (4, 16).
TBitmap GlyphOf(TFontFace& face, char32_t code) {
    TBitmap b(90, 24, clWhite);
    const TGlyphBits& bits = face.Bits(code);
    for (int r = 0; r < bits.Height; ++r)
        for (int c = 0; c < bits.Width; ++c)
            if (bits.Ink(c, r)) b.SetPixel(4 + bits.Left + c, 16 + bits.Top + r, clBlack);
    return b;
}

struct SameCase {
    const char* fault;
    std::string text, sameAs;
};

TEST(TextCharacters, TheSameCharactersDrawTheSamePixelsWhateverTheirBytes) {
    const SameCase cases[] = {
        {"utf-8 umlauts drawn as mojibake", "gr\xC3\xB6\xC3\x9Ftenteils gut", "gr\xF6\xDFtenteils gut"},
        {"utf-8 title drawn byte by byte", "Stimmen f\xC3\xBCr", "Stimmen f\xFCr"},
        {"windows-1252 euro drawn as a box", "\x80", "\xE2\x82\xAC"},
        {"windows-1252 quotes drawn as boxes", "\x84" "ja\x93", "\xE2\x80\x9E" "ja\xE2\x80\x9C"},
        {"invalid utf-8 not read as windows-1252", "\xC3(", "\xC3\x83("},
        {"overlong form read as utf-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"lone surrogate read as utf-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"one bad byte does not spoil only its own piece", "\xC3\xB6\xFF", "\xC3\x83\xC2\xB6\xC3\xBF"},
    };
    for (const SameCase& c : cases) {
        const Drawing a = Draw(c.text), b = Draw(c.sameAs);
        EXPECT_EQ(a.width, b.width) << c.fault;
        EXPECT_TRUE(SamePixels(a.bitmap, b.bitmap)) << c.fault;
    }
    const std::string mojibake = "gr\xC3\x83\xC2\xB6\xC3\x83\xC5\xB8tenteils gut";  // what the old drawing showed
    EXPECT_FALSE(SamePixels(Draw("gr\xC3\xB6\xC3\x9Ftenteils gut").bitmap, Draw(mojibake).bitmap));
}

struct GlyphCase {
    const char* fault;
    std::string text;
    char32_t code;
    bool fromFallback;  // else the chart face's glyph (its box when the code point is nowhere)
};

TEST(TextCharacters, GlyphsComeFromTheChartFaceElseDejaVuElseTheBox) {
    TFont arial;
    arial.Size = 8;
    TFontFace dejaVu(FallbackFontData(false), kPixels, false);
    const GlyphCase cases[] = {
        {"euro not taken from Liberation", "\xE2\x82\xAC", U'\u20AC', false},
        {"check mark missing", "\xE2\x9C\x93", U'\u2713', true},
        {"hebrew alef missing", "\xD7\x90", U'\u05D0', true},
        {"CJK not drawn as the box", "\xE4\xB8\xAD", U'\u0378', false},  // U+0378: assigned nowhere
        {"undefined windows-1252 byte not the box", "\x81", U'\u0378', false},
    };
    for (const GlyphCase& c : cases) {
        const Drawing drawn = Draw(c.text);
        TFontFace& face = c.fromFallback ? dejaVu : TFontFace::For(arial);
        EXPECT_TRUE(SamePixels(drawn.bitmap, GlyphOf(face, c.code))) << c.fault;
        EXPECT_EQ(drawn.width, face.Glyph(c.code).Advance) << c.fault;
        EXPECT_NE(drawn.bitmap.GetPixel(0, 0), clBlack);
    }
    EXPECT_FALSE(SamePixels(Draw("\xE2\x9C\x93").bitmap, Draw("\xE4\xB8\xAD").bitmap)) << "the check mark is no box";
    EXPECT_FALSE(SamePixels(Draw("\xE2\x82\xAC").bitmap, Draw("\xE4\xB8\xAD").bitmap)) << "the euro is no box";
    EXPECT_FALSE(SamePixels(Draw("\xE4\xB8\xAD").bitmap, Draw("").bitmap)) << "the box has ink";
}

TEST(TextCharacters, ControlsAndBrokenBytesNeverCrash) {
    const std::string texts[] = {
        std::string("a\0b", 3), "\x01\x02\x1F\x7F", "\r\n\t", "\xC3", "\xF4\x90\x80\x80", "\xF0\x9F\x98",
        "\xEF\xBF\xBF\xF0\x9F\x98\x80", std::string(3000, '\xE2'),
    };
    for (const std::string& text : texts) {
        for (double angle : {0.0, 30.0}) {
            TBitmap b(60, 30, clWhite);
            TRasterCanvas c(&b);
            c.TextOut(2, 2, text);
            c.RotatedText(30, 15, text, angle);
            EXPECT_GE(c.TextWidth(text), 0);
        }
    }
}

TEST(TextCharacters, FontFilesIdentityNamesTheChartAndFallbackFiles) {
    const std::string identity = FontFilesIdentity();
    EXPECT_NE(identity.find("LiberationSans-Regular.ttf=/"), std::string::npos) << identity;
    EXPECT_NE(identity.find("DejaVuSans.ttf=/"), std::string::npos) << identity;
    EXPECT_EQ(identity.find("missing"), std::string::npos) << identity;
    EXPECT_EQ(FontFilesIdentity(), identity) << "stable while the files stay";
}

}  // namespace
