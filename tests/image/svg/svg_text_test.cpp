// Texts and numbers written into SVG: whatever bytes an answer holds, the document stays XML.
#include <gtest/gtest.h>

#include <string>

#include "image/svg/svg_text.h"

using namespace tallyhouse::image;

namespace {

std::string Text(std::string_view bytes) {
    std::string out;
    AppendSvgText(out, bytes);
    return out;
}

TEST(SvgText, EveryByteBecomesSomethingXmlHolds) {
    const struct {
        const char* fault;
        std::string bytes;
        std::string written;
    } cases[] = {
        {"markup is taken for elements", "<b>&amp;", "&lt;b&gt;&amp;amp;"},
        {"a CDATA end closes a section", "]]>", "]]&gt;"},
        {"quotes end an attribute", "\"'", "&quot;&#39;"},
        {"white space is folded by the parser", "a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {"control bytes are no XML characters", std::string("a\0b\x01\x1F", 5), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"Latin-1 bytes are no UTF-8", "gr\xFC\xDF", "gr\xC3\xBC\xC3\x9F"},
        {"windows-1252 has the euro sign", "\x80", "\xE2\x82\xAC"},
        {"a byte windows-1252 leaves out is a C1 control XML 1.0 allows", "\x81", "\xC2\x81"},
        {"UTF-8 stays as it is", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"a truncated sequence makes the whole text windows-1252", "\xC3\xA4\xE2\x82", "\xC3\x83\xC2\xA4\xC3\xA2\xE2\x80\x9A"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(c.bytes), c.written) << c.fault;
}

TEST(SvgText, NumbersAreShortAndExact) {
    const struct {
        double value;
        const char* written;
    } cases[] = {{400, "400"}, {-12.5, "-12.5"}, {10.6666666, "10.667"}, {-0.0001, "0"}, {2147483647, "2147483647"}};
    for (const auto& c : cases) {
        std::string out;
        AppendSvgNumber(out, c.value);
        EXPECT_EQ(out, c.written) << c.value;
    }
}

}  // namespace
