// Text: Arial's metrics at 96 pixels per inch, alignment of the reference point, styles, rotation.
#include <gtest/gtest.h>

#include <string>

#include "platform/raster/raster_canvas.h"
#include "tests/platform/raster/raster_probe.h"

using namespace tallyhouse::platform;

namespace {

// Arial's Windows metrics (font units of 2048 per em): ascent 1854, descent 434; advance widths.
constexpr int kEm = 2048;
int Scaled(int units, int pixels) { return (units * pixels * 2 + kEm) / (2 * kEm); }

TRasterCanvas& Arial8(TRasterCanvas& c) {
    c.Font.Name = "Arial";
    c.Font.Size = 8;
    c.Brush.Style = TBrushStyle::bsClear;
    return c;
}

}  // namespace

TEST(TextMetrics, EightPointArialHeightIsWinAscentPlusWinDescent) {
    TBitmap b(10, 10);
    TRasterCanvas c(&b);
    Arial8(c);
    const int pixels = 11;  // 8 points at 96 pixels per inch, rounded
    EXPECT_EQ(c.TextHeight("W"), Scaled(1854, pixels) + Scaled(434, pixels));
    EXPECT_EQ(c.FontMetrics().Ascent, Scaled(1854, pixels));
    EXPECT_EQ(c.TextHeight(""), c.TextHeight("W")) << "the height does not depend on the text";
    c.Font.Size = 10;
    EXPECT_EQ(c.TextHeight("W"), Scaled(1854, 13) + Scaled(434, 13));
    const int ten = c.TextHeight("W");
    c.Font.Size = -10;
    EXPECT_EQ(c.TextHeight("W"), ten) << "a negative size counts like its magnitude";
    c.Font.Size = 2000000000;
    EXPECT_GT(c.TextHeight("W"), 10000) << "a huge size neither overflows nor falls to one pixel";
}

TEST(TextMetrics, EightPointArialWidthFollowsAdvanceWidths) {
    TBitmap b(10, 10);
    TRasterCanvas c(&b);
    Arial8(c);
    // Advance widths of H, e, l, l, o in Arial: 1479, 1139, 455, 455, 1139; hinting rounds each
    // to whole pixels, so the sum may move by up to half a pixel per letter.
    const double exact = (1479 + 1139 + 455 + 455 + 1139) * 11.0 / kEm;
    EXPECT_NEAR(c.TextWidth("Hello"), exact, 2.5);
    EXPECT_EQ(c.TextWidth(""), 0);
    EXPECT_EQ(c.TextWidth("HelloHello"), 2 * c.TextWidth("Hello")) << "widths add up, no kerning";
    EXPECT_GT(c.TextWidth("W"), c.TextWidth("i"));
}

TEST(TextMetrics, DrawnTextFillsItsMeasuredCell) {
    TBitmap b(80, 30, clWhite);
    TRasterCanvas c(&b);
    Arial8(c);
    c.TextOut(10, 5, "Hello");
    const TRect ink = InkBox(b, clWhite);
    const int w = c.TextWidth("Hello"), h = c.TextHeight("Hello"), ascent = c.FontMetrics().Ascent;
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + w);
    EXPECT_GE(ink.Right, 10 + w - 2) << "the last letter ends near the advance";
    EXPECT_GE(ink.Top, 5);
    EXPECT_LE(ink.Bottom, 5 + h);
    EXPECT_EQ(ink.Bottom, 5 + ascent) << "no descenders: the ink ends on the baseline";
    EXPECT_EQ(ink.Top, 5 + ascent - 8) << "the capital H of 8-point Arial is 8 pixels tall";
    EXPECT_EQ(CountPixels(b, clBlack) + CountPixels(b, clWhite), 80 * 30) << "monochrome: only the font colour";
}

TEST(TextMetrics, AlignmentMovesTheReferencePoint) {
    struct Case {
        const char* fault;
        unsigned align;
        int dx, dy;  // expected offset of the ink box from the left/top-aligned one
    };
    TBitmap probe(10, 10);
    TRasterCanvas m(&probe);
    Arial8(m);
    const int w = m.TextWidth("HH"), ascent = m.FontMetrics().Ascent, descent = m.FontMetrics().Descent;
    const Case cases[] = {
        {"left top", TA_LEFT | TA_TOP, 0, 0},
        {"right", TA_RIGHT | TA_TOP, -w, 0},
        {"centre", TA_CENTER | TA_TOP, -(w / 2), 0},
        {"bottom", TA_LEFT | TA_BOTTOM, 0, -(ascent + descent)},
        {"baseline", TA_LEFT | TA_BASELINE, 0, -ascent},
        {"centre baseline", TA_CENTER | TA_BASELINE, -(w / 2), -ascent},
    };
    TBitmap ref(60, 60, clWhite);
    TRasterCanvas rc(&ref);
    Arial8(rc);
    rc.TextOut(30, 30, "HH");
    const TRect base = InkBox(ref, clWhite);
    for (const Case& k : cases) {
        TBitmap b(60, 60, clWhite);
        TRasterCanvas c(&b);
        Arial8(c);
        c.SetTextAlign(k.align);
        c.TextOut(30, 30, "HH");
        const TRect ink = InkBox(b, clWhite);
        EXPECT_EQ(ink.Left, base.Left + k.dx) << k.fault;
        EXPECT_EQ(ink.Top, base.Top + k.dy) << k.fault;
    }
}

TEST(TextMetrics, SolidBrushFillsTheCellClearBrushDoesNot) {
    TBitmap b(60, 20, clWhite);
    TRasterCanvas c(&b);
    Arial8(c);
    c.Brush.Style = TBrushStyle::bsSolid;
    c.Brush.Color = clYellow;
    c.TextOut(5, 2, "Ab");
    EXPECT_EQ(InkBox(b, clWhite), Rect(5, 2, 5 + c.TextWidth("Ab"), 2 + c.TextHeight("Ab")));
    TBitmap t(60, 20, clWhite);
    TRasterCanvas tc(&t);
    Arial8(tc);
    tc.TextOut(5, 2, "Ab");
    EXPECT_EQ(CountPixels(t, clYellow), 0);
    EXPECT_GT(CountPixels(t, clBlack), 10);
}

TEST(TextMetrics, StylesChangeTheGlyphs) {
    auto draw = [](TFontStyles style, TColor colour, TBitmap& b) {
        TRasterCanvas c(&b);
        Arial8(c);
        c.Font.Style = style;
        c.Font.Color = colour;
        c.TextOut(2, 2, "Hallo");
        return c.TextWidth("Hallo");
    };
    TBitmap plain(100, 20, clWhite), bold(100, 20, clWhite), italic(100, 20, clWhite), under(100, 20, clWhite),
        strike(100, 20, clWhite);
    const int w = draw(0, clRed, plain);
    EXPECT_GT(draw(fsBold, clRed, bold), w) << "bold comes from the bold face and is wider";
    draw(fsItalic, clRed, italic);
    bool differs = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x) differs |= plain.GetPixel(x, y) != italic.GetPixel(x, y);
    EXPECT_TRUE(differs) << "italic comes from the italic face";
    draw(fsUnderline, clRed, under);
    EXPECT_GT(InkBox(under, clWhite).Bottom, InkBox(plain, clWhite).Bottom) << "the underline lies below the baseline";
    EXPECT_EQ(under.GetPixel(3, InkBox(under, clWhite).Bottom - 1), clRed) << "the underline starts at the text's start";
    draw(fsStrikeOut, clRed, strike);
    EXPECT_GT(CountPixels(strike, clRed), CountPixels(plain, clRed) + w / 2) << "the strike-out line crosses the text";
    EXPECT_EQ(InkBox(strike, clWhite).Bottom, InkBox(plain, clWhite).Bottom);
}

TEST(TextMetrics, RotatedTextTurnsCounterClockwise) {
    TBitmap b(60, 60, clWhite);
    TRasterCanvas c(&b);
    Arial8(c);
    const int w = c.TextWidth("HHHH"), h = c.TextHeight("HHHH");
    c.RotatedText(20, 50, "HHHH", 90);
    const TRect ink = InkBox(b, clWhite);
    EXPECT_GE(ink.Top, 50 - w) << "turned by 90 degrees the text runs upward";
    EXPECT_LE(ink.Bottom, 51);
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Right, 20 + h) << "its top faces left, so it lies right of the reference point";
    EXPECT_GT(ink.Height(), ink.Width());

    TBitmap d(60, 60, clWhite);
    TRasterCanvas dc(&d);
    Arial8(dc);
    dc.SetTextAlign(TA_CENTER | TA_BASELINE);
    dc.RotatedText(30, 30, "HHHH", 45);
    const TRect diag = InkBox(d, clWhite);
    EXPECT_LT(diag.Left, 30);
    EXPECT_GT(diag.Right, 30);
    EXPECT_NEAR(diag.Width(), diag.Height(), 4) << "at 45 degrees the text's box is about square";

    TBitmap z(60, 60, clWhite), r0(60, 60, clWhite);
    TRasterCanvas zc(&z), rc(&r0);
    Arial8(zc);
    Arial8(rc);
    zc.TextOut(5, 5, "Tally");
    rc.RotatedText(5, 5, "Tally", 0);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(z.GetPixel(x, y), r0.GetPixel(x, y)) << "angle 0 is plain text";
}

TEST(TextMetrics, Latin1BytesAreCodePoints) {
    TBitmap b(10, 10);
    TRasterCanvas c(&b);
    Arial8(c);
    EXPECT_EQ(c.TextWidth("\xFC"), c.TextWidth("u")) << "u-umlaut has the advance of u in Arial";
    EXPECT_GT(c.TextWidth("\xDF"), 0);
}

// Glyphs are rendered only inside the visible window; a clip must cut them, not move them.
TEST(TextMetrics, ClippedTextMatchesUnclippedInsideTheClip) {
    for (int size : {8, 40, 200}) {
        for (double angle : {0.0, 20.0}) {
            TBitmap full(300, 300, clWhite), cut(300, 300, clWhite);
            TRasterCanvas fc(&full), cc(&cut);
            for (TRasterCanvas* c : {&fc, &cc}) {
                Arial8(*c);
                c->Font.Size = size;
                c->SetTextAlign(TA_LEFT | TA_BASELINE);
            }
            const TRect clip = Rect(13, 17, 151, 240);
            cc.SetClipRect(clip);
            fc.RotatedText(5, 230, "Wg&", angle);
            cc.RotatedText(5, 230, "Wg&", angle);
            EXPECT_GT(CountPixels(cut, clBlack), 0) << size << " points";
            for (int y = 0; y < 300; ++y) {
                for (int x = 0; x < 300; ++x) {
                    const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
                    ASSERT_EQ(cut.GetPixel(x, y), inside ? full.GetPixel(x, y) : clWhite)
                        << size << " points, angle " << angle << " at " << x << "," << y;
                }
            }
        }
    }
}
