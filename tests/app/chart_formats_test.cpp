// Views as PNG and SVG, scaled, with a round pie and any colour, asked for as a site would; and
// what comes of parameter values that make no sense or of texts that are no markup's friends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/picture_compare.h"
#include "tests/support/svg_facts.h"

using namespace tallyhouse::app;
using namespace testsupport;

namespace {

CgiResult Get(const ScratchDir& dir, const std::string& query) { return RunProgram(dir.Program(), GetRequest(query)); }

Picture Png(const ScratchDir& dir, const std::string& query) {
    return PictureOfPng(Get(dir, "command=view&format=png&" + query).body);
}

std::string ContentType(const std::string& header) {
    const std::string::size_type start = header.find("content-type:");
    if (start == std::string::npos) return "";
    return header.substr(start + 13, header.find('\r', start) - start - 13);
}

std::size_t CountOf(const Picture& picture, std::uint32_t rgb) {
    return static_cast<std::size_t>(std::count(picture.rgb.begin(), picture.rgb.end(), rgb));
}

TEST(ChartFormats, ValuesThatMakeNoSenseGetTheMessagePage) {
    ScratchDir dir;
    const struct {
        std::string parameters;
        std::string_view message;
    } cases[] = {
        {"format=bmp", kFormatMessage},
        {"format=SVG", kFormatMessage},
        {"format=svg&format=png", kFormatMessage},
        {"scale=0", kScaleMessage},
        {"scale=5", kScaleMessage},
        {"scale=2.0", kScaleMessage},
        {"scale=-1", kScaleMessage},
        {"scale=two", kScaleMessage},
        {"scale=2&width=2049", kChartSizeMessage},
        {"scale=4&height=1025", kChartSizeMessage},
        {"circled=maybe", kCircledMessage},
        {"circled=YES", kCircledMessage},
        {"color=%2312345", kColorMessage},
        {"color=%231234567", kColorMessage},
        {"color=%23GG0000", kColorMessage},
        {"backcolor=%23", kColorMessage},
        {"chartbacktopcolor=%2300ff0g", kColorMessage},
        {"chartbackbottomcolor=%23+0ff00", kColorMessage},
        {"number=votes&numbercolor=%23abc", kColorMessage},
    };
    for (const auto& c : cases)
        for (const char* format : {"gif", "png", "svg"}) {
            if (c.message == kFormatMessage && format != std::string("gif")) continue;
            const std::string query = "command=view&" + c.parameters + "&format=" + format;
            const CgiResult result = Get(dir, query);
            EXPECT_EQ(result.exitCode, 0) << query;
            EXPECT_EQ(result.body, SentMessagePage(c.message)) << query;
        }
}

TEST(ChartFormats, EachFormatAnswersWithItsTypeAndSize) {
    ScratchDir dir;
    const struct {
        std::string query;
        std::string contentType;
        int width, height;
    } cases[] = {
        {"format=png", "image/png", 400, 250},
        {"format=png&scale=2", "image/png", 800, 500},
        {"format=png&scale=4&width=1024&height=100", "image/png", 4096, 400},
        {"format=gif&scale=3", "image/gif", 1200, 750},
        {"format=svg", "image/svg+xml", 400, 250},
        {"format=svg&scale=2&style=3&3D=yes", "image/svg+xml", 800, 500},
    };
    for (const auto& c : cases) {
        const CgiResult result = Get(dir, "command=view&" + c.query);
        EXPECT_EQ(ContentType(result.header), c.contentType) << c.query;
        EXPECT_NE(result.header.find("ETag:"), std::string::npos) << c.query;
        if (c.contentType == "image/svg+xml") {
            const SvgFacts svg = ReadSvg(result.body);
            EXPECT_EQ(svg.error, "") << c.query;
            EXPECT_EQ(svg.width + "x" + svg.height, std::to_string(c.width) + "x" + std::to_string(c.height)) << c.query;
            EXPECT_EQ(svg.viewBox, "0 0 400 250") << c.query;
            continue;
        }
        const Picture picture = c.contentType == "image/png" ? PictureOfPng(result.body) : PictureOfGif(result.body);
        EXPECT_EQ(std::to_string(picture.width) + "x" + std::to_string(picture.height),
                  std::to_string(c.width) + "x" + std::to_string(c.height))
            << c.query;
    }
}

TEST(ChartFormats, AnyColourIsDrawnAsGiven) {
    ScratchDir dir;
    // The bars start at the colour and grow 15 darker per bar, as with a palette colour.
    const Picture bars = Png(dir, "color=%23FF8000");
    EXPECT_GT(CountOf(bars, 0xFF8000), 500u);
    EXPECT_GT(CountOf(bars, 0xF07100), 500u);
    const Picture panel = Png(dir, "backcolor=%23123456&chartbacktopcolor=%23abcdef&number=votes&numbercolor=%23c0ffee");
    EXPECT_EQ(panel.At(1, 1), 0x123456u);
    EXPECT_GT(CountOf(panel, 0xABCDEF), 10000u);
    EXPECT_GT(CountOf(panel, 0xC0FFEE), 20u);
    // A palette number still reads as before.
    EXPECT_EQ(Png(dir, "backcolor=14").At(1, 1), 0x00FFFFu);
}

// The bounding box of the pixels of the pie's first slice colour (lime, as stored).
Box SliceBox(const Picture& picture) {
    Box box{picture.width, picture.height, 0, 0};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y) != 0x00FF00) continue;
            box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        }
    return box;
}

TEST(ChartFormats, ACircledPieIsRoundAndStaysVisibleWhenSmall) {
    ScratchDir dir;
    dir.Write("half.pol", "d,a,yes\r\nd,a,no\r\n");
    const Box round = SliceBox(Png(dir, "filename=half.pol&style=3&legend=no&circled=yes"));
    EXPECT_NEAR(round.right - round.left, 2 * (round.bottom - round.top), 2) << "half a round pie is twice as wide as high";
    const Box oval = SliceBox(Png(dir, "filename=half.pol&style=3&legend=no"));
    EXPECT_GT(oval.right - oval.left, 2 * (oval.bottom - oval.top) + 20) << "without circled the pie fills its plot";
    // At 200 x 120 the marks leave an oval pie no room; the lime pixels are the legend's.
    const std::size_t legendOnly = CountOf(Png(dir, "style=3&width=200&height=120"), 0x00FF00);
    EXPECT_GT(CountOf(Png(dir, "style=3&width=200&height=120&circled=yes"), 0x00FF00), legendOnly + 150);
}

TEST(ChartFormats, SvgOfHostileTextsIsWellFormedAndSelfContained) {
    ScratchDir dir;
    // Markup, a CDATA end, quotes, control bytes, bytes that are no UTF-8 and real UTF-8.
    dir.Write("hostile.pol", "d,a,<script>alert(1)</script>\r\nd,a,a & b ]]> \"q\" 'q'\r\nd,a,bell\x07" "tab\tend\r\n"
                             "d,a,\x80\xFF\xC3(\r\nd,a,gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\r\n");
    for (const char* style : {"style=0", "style=1&3D=yes", "style=2", "style=3&3D=yes&3Dorthogonal=no"}) {
        const std::string query = std::string("command=view&format=svg&filename=hostile.pol&number=%3C%2Ftitle%3E%26%01&") + style;
        const CgiResult result = Get(dir, query);
        const SvgFacts svg = ReadSvg(result.body);
        EXPECT_EQ(svg.error, "") << query;
        EXPECT_TRUE(svg.outside.empty()) << query;
        EXPECT_EQ(svg.title, "5 </title>&\xEF\xBF\xBD") << query;
        EXPECT_NE(svg.description.find("<script>alert(1)</script>: 1"), std::string::npos) << svg.description;
        EXPECT_NE(svg.description.find("a & b ]]> \"q\" 'q': 1"), std::string::npos) << svg.description;
        EXPECT_NE(svg.description.find("bell\xEF\xBF\xBDtab\tend: 1"), std::string::npos) << svg.description;
        // Not UTF-8: windows-1252, as everywhere texts are shown.
        EXPECT_NE(svg.description.find("\xE2\x82\xAC\xC3\xBF\xC3\x83(: 1"), std::string::npos) << svg.description;
        EXPECT_NE(svg.description.find("gr\xC3\xBC\xC3\x9F \xE2\x82\xAC: 1"), std::string::npos) << svg.description;
        EXPECT_GE(svg.textCount, 5) << query;
    }
}

}  // namespace
