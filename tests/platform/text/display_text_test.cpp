// The one rule that reads received bytes as characters: UTF-8 when it is valid and multi-byte,
// windows-1252 otherwise.
#include <gtest/gtest.h>

#include "platform/text/display_text.h"

using namespace tallyhouse::platform;

namespace {

struct DecodeCase {
    const char* fault;
    std::string bytes;
    std::u32string codes;
};

TEST(DisplayText, ReadsUtf8OnlyWhenValidAndMultiByteElseWindows1252) {
    const DecodeCase cases[] = {
        {"ascii unchanged", "good", U"good"},
        {"utf-8 umlauts decoded", "gr\xC3\xB6\xC3\x9F" "er", U"gr\u00F6\u00DFer"},
        {"utf-8 euro decoded", "\xE2\x82\xAC" "5", U"\u20AC" "5"},
        {"four-byte sequence decoded", "\xF0\x9F\x98\x80", U"\U0001F600"},
        {"latin-1 umlaut kept", "gr\xF6\xDF" "er", U"gr\u00F6\u00DFer"},
        {"windows-1252 euro", "\x80", U"\u20AC"},
        {"undefined 1252 byte keeps its C1 code", "\x81", U"\u0081"},
        {"overlong slash is not utf-8", "\xC0\xAF", U"\u00C0\u00AF"},
        {"overlong three-byte is not utf-8", "\xE0\x80\xAF", U"\u00E0\u20AC\u00AF"},
        {"lone surrogate is not utf-8", "\xED\xA0\x80", U"\u00ED\u00A0\u20AC"},
        {"above U+10FFFF is not utf-8", "\xF4\x90\x80\x80", U"\u00F4\u0090\u20AC\u20AC"},
        {"truncated sequence is not utf-8", "a\xC3", U"a\u00C3"},
        {"one bad byte spoils the whole text", "\xC3\xB6\xFF", U"\u00C3\u00B6\u00FF"},
        {"NUL and controls pass as themselves", std::string("a\0\x01", 3), std::u32string(U"a\0\x01", 3)},
    };
    for (const DecodeCase& c : cases) {
        EXPECT_EQ(DecodeDisplayText(c.bytes), c.codes) << c.fault;
        EXPECT_EQ(DecodeDisplayText(DisplayTextUtf8(c.bytes)), c.codes) << c.fault << " (through UTF-8)";
    }
}

TEST(DisplayText, TheSameAnswerFromAUtf8AndALatin1PageReadsAlike) {
    EXPECT_EQ(DisplayTextUtf8("gr\xF6\xDF" "tenteils \x80"), "gr\xC3\xB6\xC3\x9F" "tenteils \xE2\x82\xAC");
    EXPECT_EQ(DisplayTextUtf8("gr\xC3\xB6\xC3\x9F" "tenteils \xE2\x82\xAC"), "gr\xC3\xB6\xC3\x9F" "tenteils \xE2\x82\xAC");
}

}  // namespace
