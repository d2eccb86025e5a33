#include <gtest/gtest.h>

#include "engine/core/html_escape.h"
#include "engine/form/url_coding.h"

using namespace tallyhouse::engine;

TEST(UrlCoding, DecodeKeepsWhatIsNotAnEscape) {
    const struct {
        const char* fault;
        std::string in, out;
    } cases[] = {
        {"plus is a blank", "a+b", "a b"},
        {"escape of either case", "%41%6a%6A", "Ajj"},
        {"escaped plus stays a plus", "%2B", "+"},
        {"percent and one digit at the end", "50%4", "50%4"},
        {"lone percent at the end", "100%", "100%"},
        {"percent before non-hex letters", "%zz%G1", "%zz%G1"},
        {"decoded once only", "%2541", "%41"},
        {"high and zero bytes", "%FC%00x", std::string("\xFC\0x", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.fault;
}

TEST(UrlCoding, EncodeKeepsOnlyTheSafeCharacters) {
    EXPECT_EQ(UrlEncode("a b"), "a+b");
    EXPECT_EQ(UrlEncode("C:\\pics/cat.gif"), "C%3A\\pics/cat.gif");
    EXPECT_EQ(UrlEncode("x_y-z&=%+"), "x%5Fy%2Dz%26%3D%25%2B");
    EXPECT_EQ(UrlEncode("\xFC\n"), "%FC%0A");
    for (const std::string text : {"a b+c", "%41&=", "\xFF\x01 /.\\"}) EXPECT_EQ(UrlDecode(UrlEncode(text)), text);
}

TEST(HtmlEscape, EscapesMarkupCharactersOnly) {
    EXPECT_EQ(HtmlEscape("<a href=\"x\">&amp;</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;");
    EXPECT_EQ(HtmlEscape("M\xFCller's 100%"), "M\xFCller's 100%");
}
