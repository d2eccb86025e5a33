// The chart a view request answers: a GIF of the stored look, shaped by the query parameters,
// decoded with giflib and probed at known places.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <regex>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

using namespace testsupport;

namespace {

// A chart answer: the status line, the chart's entity tag, the content type.
const std::regex kChartHeader("HTTP/1\\.1 200 OK\r\nETag:\"[0-9a-f]{32}\"\r\ncontent-type:image/gif");

constexpr std::uint32_t kWhite = 0xFFFFFF, kSilver = 0xC0C0C0, kLime = 0x00FF00, kRed = 0xFF0000,
                        kBlack = 0x000000;

struct Chart {
    CgiResult response;
    DecodedGif gif;

    std::uint32_t At(int x, int y) const {
        return gif.frames.at(0).rgb.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(gif.width) +
                                       static_cast<std::size_t>(x));
    }
    // Pixels of a colour inside the rectangle [left, right) x [top, bottom).
    int Count(std::uint32_t color, int left = 0, int top = 0, int right = -1, int bottom = -1) const {
        if (right < 0) right = gif.width;
        if (bottom < 0) bottom = gif.height;
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += At(x, y) == color;
        return n;
    }
};

class ChartView : public ::testing::Test {
protected:
    Chart View(const std::string& parameters) const {
        Chart chart;
        chart.response = RunProgram(dir_.Program(), GetRequest("command=view" + parameters));
        chart.gif = DecodeGif(chart.response.body);
        return chart;
    }
    // The response of a query that must be a chart, checked as such.
    Chart Gif(const std::string& parameters) const {
        Chart chart = View(parameters);
        EXPECT_TRUE(std::regex_match(chart.response.header, kChartHeader)) << parameters << ": " << chart.response.header;
        EXPECT_TRUE(chart.gif.ok) << parameters << ": " << chart.gif.error;
        return chart;
    }
    std::string Body(const std::string& parameters) const { return View(parameters).response.body; }

    ScratchDir dir_;
};

TEST_F(ChartView, DefaultViewIsTheStoredLookAsAGif) {
    const Chart chart = Gif("");
    const std::string& body = chart.response.body;
    ASSERT_GE(body.size(), 13u);
    EXPECT_EQ(body.substr(0, 6), "GIF89a");
    EXPECT_EQ(body.substr(6, 4), std::string("\x90\x01\xFA\x00", 4)) << "screen of 400 x 250";
    ASSERT_EQ(chart.gif.width, 400);
    ASSERT_EQ(chart.gif.height, 250);
    ASSERT_EQ(chart.gif.frames.size(), 1u);
    const DecodedFrame& frame = chart.gif.frames[0];
    EXPECT_EQ(frame.delayCs, 100) << "a second, in hundredths";
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_EQ(frame.width, 400);
    EXPECT_EQ(frame.height, 250);
    EXPECT_FALSE(frame.interlaced);
    EXPECT_EQ(frame.transparentIndex, -1);
    ASSERT_FALSE(chart.gif.comments.empty());
    EXPECT_NE(chart.gif.comments.back().find("GIF"), std::string::npos) << "credit comment closes the file";

    EXPECT_EQ(chart.At(1, 1), kWhite) << "white panel, no border";
    EXPECT_EQ(chart.At(398, 248), kWhite);
    EXPECT_GT(chart.Count(kSilver), 10000) << "silver plot";
    // Five bars in lime darkening by 15 per step, legend boxes in the same colours at the right.
    const std::uint32_t shades[] = {0x00FF00, 0x00F000, 0x00E100, 0x00D200, 0x00C300};
    for (std::uint32_t shade : shades) {
        EXPECT_GT(chart.Count(shade, 0, 0, 275), 50) << std::hex << shade << " bar";
        EXPECT_GT(chart.Count(shade, 282, 0), 20) << std::hex << shade << " legend box";
    }
    EXPECT_EQ(chart.Count(kRed), 0) << "nothing drawn in the series' own colour";
}

TEST_F(ChartView, OutOfRangeStyleAndColourFallBackAndEquivalentValuesDrawTheSame) {
    const std::string fallback = Body("");
    struct Case {
        const char* fault;
        const char* parameters;
    } const cases[] = {
        {"style 7 is the vertical bars", "&style=7"},
        {"negative style is the vertical bars", "&style=-1"},
        {"colour 16 is lime", "&color=16"},
        {"colour 099 is not the text 99", "&color=099"},
        {"backcolor 20 wraps to white", "&backcolor=20"},
        {"empty number shows no title", "&number="},
        {"3DDepth is not read without 3D", "&3DDepth=0"},
        {"legend style other than value only with a legend", "&3D=no"},
        {"hexadecimal size", "&width=$190&height=0xFA"},
        {"field names match without regard to case", "&WIDTH=400&Style=0"},
        {"sample given by name", "&filename=testdeutsch"},
    };
    for (const Case& c : cases) EXPECT_TRUE(Body(c.parameters) == fallback) << c.fault;
}

TEST_F(ChartView, ColourParameters) {
    const Chart palette = Gif("&color=99");
    for (std::uint32_t color : {0xFF0000u, 0x008000u, 0xFFFF00u, 0x0000FFu})
        EXPECT_GT(palette.Count(color, 0, 0, 280), 50) << "99 gives each point a palette colour " << std::hex << color;
    EXPECT_EQ(palette.Count(kLime), 0);

    const Chart red = Gif("&color=0");
    EXPECT_GT(red.Count(0xFF0000), 50);
    EXPECT_GT(red.Count(0xF00000), 50) << "second point darker by 15";

    EXPECT_EQ(Gif("&backcolor=0").At(1, 1), kRed);
    EXPECT_EQ(Gif("&backcolor=-1").At(1, 1), kBlack) << "a negative index wraps to the end of the table";
    EXPECT_EQ(Gif("&chartbacktopcolor=3").Count(kSilver, 0, 0, 280), 0) << "back wall recoloured";
    EXPECT_GT(Gif("&chartbacktopcolor=3").Count(0x0000FF, 0, 0, 280), 10000);
}

TEST_F(ChartView, TitleShowsTheAnswerCountInItsColour) {
    const Chart plain = Gif("");
    const Chart titled = Gif("&number=Antworten&numbercolor=0");
    EXPECT_EQ(plain.Count(kRed, 0, 0, 400, 30), 0);
    EXPECT_GT(titled.Count(kRed, 100, 0, 300, 30), 20) << "a red title centred at the top";
    EXPECT_FALSE(Body("&number=Antworten") == Body("&number=Answers")) << "the text follows the count";
    const Chart english = Gif("&filename=testenglish&number=answers&numbercolor=0");
    EXPECT_GT(english.Count(kRed, 100, 0, 300, 30), 20);
}

TEST_F(ChartView, LegendMarksAndBorder) {
    const std::string fallback = Body("");
    struct Case {
        const char* what;
        const char* parameters;
    } const cases[] = {
        {"legend hidden", "&legend=no"},
        {"legend with percentages", "&legendstyle=percent"},
        {"marks hidden", "&marks=no"},
        {"marks with values", "&marksstyle=value"},
        {"border drawn", "&border=yes"},
    };
    for (const Case& c : cases) EXPECT_FALSE(Gif(c.parameters).response.body == fallback) << c.what;
    EXPECT_GT(Gif("").Count(kLime, 275, 20, 330, 45), 20) << "first legend box";
    EXPECT_EQ(Gif("&legend=no").Count(kLime, 275, 20, 330, 45), 0) << "no legend boxes at the right";
    EXPECT_NE(Gif("&border=yes").At(1, 1), kWhite) << "bevels at the edge";
    EXPECT_TRUE(Body("&style=2&marks=yes") == Body("&style=2")) << "the area series shows no marks";
    EXPECT_LT(Gif("&marks=no").Count(kWhite, 0, 30, 280, 200), Gif("").Count(kWhite, 0, 30, 280, 200))
        << "no white mark boxes over the plot";
}

TEST_F(ChartView, StylesAndThreeDimensionalViews) {
    std::vector<std::string> bodies;
    for (const char* parameters :
         {"", "&style=1", "&style=2", "&style=3", "&3D=yes", "&3D=yes&3Dorthogonal=no&3DRotation=300",
          "&3D=yes&3Dorthogonal=no&3DElevation=340", "&3D=yes&3DZoom=60", "&3D=yes&3DDepth=100", "&style=3&3D=yes&3Dorthogonal=no"}) {
        const Chart chart = Gif(parameters);
        EXPECT_EQ(chart.gif.width, 400) << parameters;
        bodies.push_back(chart.response.body);
    }
    for (std::size_t i = 0; i < bodies.size(); ++i)
        for (std::size_t j = i + 1; j < bodies.size(); ++j) EXPECT_FALSE(bodies[i] == bodies[j]) << i << " vs " << j;
    EXPECT_TRUE(Body("&3D=yes") == Body("&3D=yes&3Dorthogonal=yes&3DDepth=50"))
        << "3D alone is orthogonal with the stored depth";
}

TEST_F(ChartView, SizesFromTinyToLarge) {
    for (auto [width, height] : {std::pair{120, 80}, {1, 1}, {1600, 1000}, {4096, 30}}) {
        const Chart chart = Gif("&width=" + std::to_string(width) + "&height=" + std::to_string(height));
        EXPECT_EQ(chart.gif.width, width);
        EXPECT_EQ(chart.gif.height, height);
    }
}

TEST_F(ChartView, ConversionAndDepthErrorsAnswer400WithTheirMessageAndALogLine) {
    struct Case {
        const char* fault;
        const char* parameters;
        std::string logged;
    } const cases[] = {
        {"text for a number", "&width=abc", "'abc' ist kein g\xFCltiger Integerwert"},
        {"empty value of a parameter with a default", "&style=", "'' ist kein g\xFCltiger Integerwert"},
        {"colour index not a number", "&backcolor=red", "'red' ist kein g\xFCltiger Integerwert"},
        {"3D number not a number", "&3D=yes&3DZoom=big", "'big' ist kein g\xFCltiger Integerwert"},
        {"depth 0", "&3D=yes&3DDepth=0", "3D-Effekt-Prozentangabe mu\xDF zwischen 1 und 100 liegen"},
        {"depth 101", "&3D=yes&3DDepth=101", "3D-Effekt-Prozentangabe mu\xDF zwischen 1 und 100 liegen"},
        {"a line break in the value forges a log line", "&width=1%0d%0a01/01/99,  1 : FORGED",
         "'1\\x0D\\x0A01/01/99,  1 : FORGED' ist kein g\xFCltiger Integerwert"},
    };
    for (const Case& c : cases) {
        const CgiResult result = View(c.parameters).response;
        EXPECT_EQ(result.exitCode, 0) << c.fault;
        EXPECT_EQ(result.header.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << c.fault;
        EXPECT_NE(result.body.find(c.logged.substr(c.logged.size() - 16)), std::string::npos) << c.fault;
        EXPECT_EQ(result.body.find("\r\n01/01/99"), std::string::npos) << c.fault << ": no line break from the value";
        const std::string log = dir_.Read("Log/tallyhouse.Log");
        EXPECT_NE(log.find("Unhandled exception : " + c.logged + "\r\n"), std::string::npos) << c.fault << ": " << log;
    }
    const std::string log = dir_.Read("Log/tallyhouse.Log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), std::size(cases)) << "one line per request:\n" << log;
}

TEST_F(ChartView, SizesOutsideTheAcceptedRangeAnswerTheMessagePage) {
    struct Case {
        const char* fault;
        const char* parameters;
        std::string shown;
    } const cases[] = {
        {"width 0", "&width=0", "between 1 and 4096"},
        {"negative height", "&height=-5", "between 1 and 4096"},
        {"huge width, never allocated", "&width=100000", "between 1 and 4096"},
        {"just too high", "&height=4097", "between 1 and 4096"},
    };
    for (const Case& c : cases) {
        const CgiResult result = View(c.parameters).response;
        EXPECT_EQ(result.exitCode, 0) << c.fault;
        EXPECT_EQ(result.header.find("image/gif"), std::string::npos) << c.fault;
        EXPECT_NE(result.body.find(c.shown), std::string::npos) << c.fault << ": " << result.body;
        EXPECT_EQ(result.body.find("GIF8"), std::string::npos) << c.fault;
    }
}

TEST_F(ChartView, PollFilesOfManyAnswersAndNoneAreCharted) {
    std::string forty;
    for (int i = 0; i < 40; ++i)
        for (int n = 0; n <= i % 5; ++n) forty += "08.12.2026,12:00:00,127.0.0.1,answer " + std::to_string(i) + "\r\n";
    dir_.Write("forty.pol", forty);
    dir_.Write("empty.pol", "");
    for (const char* parameters : {"&filename=forty.pol", "&filename=forty.pol&style=3&3D=yes&3Dorthogonal=no",
                                   "&filename=forty.pol&color=99&3D=yes", "&filename=empty.pol",
                                   "&filename=empty.pol&style=3&3D=yes"}) {
        const Chart chart = Gif(parameters);
        EXPECT_EQ(chart.gif.width, 400) << parameters;
    }
}

}  // namespace

namespace {

TEST(ChartViewColors, AChartOfMoreThan256ColoursIsReducedAndStillSent) {
    ScratchDir dir;
    std::string poll;
    for (int i = 0; i < 300; ++i) poll += "d,t,h,answer " + std::to_string(i) + "\r\n";
    dir.Write("many.pol", poll);
    const CgiResult result =
        RunProgram(dir.Program(), GetRequest("command=view&filename=many.pol&3D=yes&width=1200&height=800"));
    EXPECT_TRUE(std::regex_match(result.header, kChartHeader)) << result.header;
    const DecodedGif gif = DecodeGif(result.body);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 1200);
    EXPECT_LE(gif.globalColorCount, 256);
}

}  // namespace
