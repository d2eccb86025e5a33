// Every gallery chart in every format against its GIF: the PNG holds the GIF's pixels, the PNG at
// scale 2 shows them twice as large, and the SVG, shown by Chromium at 100 %, looks like the GIF
// (at least 97 % of the pixels outside texts within a small colour distance); every SVG is
// well-formed and self-contained.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <unordered_set>

#include "tests/support/chart_gallery.h"
#include "tests/support/chromium.h"
#include "tests/support/picture_compare.h"
#include "tests/support/svg_facts.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr double kLooksAlike = 0.97;
constexpr int kColorDistance = 24;
// Browser pages of the SVG charts, packed in rows, each at most this large.
constexpr int kPageWidth = 2400;
constexpr int kPageHeight = 2000;

struct Rendered {
    std::string name;
    Picture gif;
    SvgFacts svg;
    int page = 0, left = 0, top = 0;
};

// Places the charts on pages, row by row, and writes one HTML page per page.
int WritePages(const fs::path& folder, std::vector<Rendered>& charts) {
    int page = 0, x = 0, y = 0, rowHeight = 0;
    std::map<int, std::string> html;
    for (Rendered& c : charts) {
        if (x > 0 && x + c.gif.width > kPageWidth) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        if (y > 0 && y + c.gif.height > kPageHeight) {
            ++page;
            x = y = 0;
        }
        c.page = page;
        c.left = x;
        c.top = y;
        html[page] += "<img src=\"" + c.name + ".svg\" style=\"position:absolute;left:" + std::to_string(x) +
                      "px;top:" + std::to_string(y) + "px\">\n";
        x += c.gif.width;
        rowHeight = std::max(rowHeight, c.gif.height);
    }
    for (const auto& [number, images] : html)
        std::ofstream(folder / ("page" + std::to_string(number) + ".html")) << "<!DOCTYPE html><body style=\"margin:0\">\n"
                                                                           << images << "</body>\n";
    return page + 1;
}

TEST(ChartFormats, EveryGalleryChartLooksAlikeInEveryFormat) {
    ScratchDir dir;
    WriteGalleryPolls(dir);
    std::vector<Rendered> charts;
    int n = 0;
    for (const GalleryChart& chart : GalleryCharts()) {
        SCOPED_TRACE(chart.name + ": " + chart.query);
        const GalleryPicture picture = RenderGalleryChart(dir, chart);
        const GalleryFormats formats = RenderGalleryFormats(dir, chart);
        ASSERT_EQ(picture.error + formats.error, "");
        Rendered r{std::to_string(++n), PictureOfGif(picture.gif), ReadSvg(formats.svg)};
        EXPECT_EQ(r.svg.error, "");
        EXPECT_TRUE(r.svg.outside.empty()) << r.svg.outside.front();
        EXPECT_EQ(r.svg.viewBox, "0 0 " + std::to_string(r.gif.width) + " " + std::to_string(r.gif.height));

        const Picture png = PictureOfPng(formats.png);
        ASSERT_EQ(png.width, r.gif.width);
        ASSERT_EQ(png.height, r.gif.height);
        // A chart of more than 256 colours keeps them all in a PNG; the GIF has the nearest ones.
        if (ColorCount(png) <= 256)
            EXPECT_TRUE(png.rgb == r.gif.rgb) << "the PNG's pixels are not the GIF's";
        else
            EXPECT_GE(MatchingShare(r.gif, png, 1, 64, {}), kLooksAlike);

        if (!formats.png2.empty()) {
            const Picture twice = PictureOfPng(formats.png2);
            ASSERT_EQ(twice.width, 2 * r.gif.width);
            ASSERT_EQ(twice.height, 2 * r.gif.height);
            EXPECT_GE(MatchingShare(r.gif, twice, 2, kColorDistance, r.svg.textBoxes), kLooksAlike)
                << "the PNG at scale 2 does not show the GIF's pixels";
        }
        dir.Write(r.name + ".svg", formats.svg);
        charts.push_back(std::move(r));
    }

    if (!ChromiumInstalled()) GTEST_SKIP() << "chromium is not installed";
    const int pages = WritePages(dir.Path(), charts);
    for (int page = 0; page < pages; ++page) {
        std::string failure;
        const Picture shot = ChromiumScreenshot(dir.Path() / ("page" + std::to_string(page) + ".html"), kPageWidth,
                                                kPageHeight, 1, failure);
        ASSERT_GT(shot.width, 0) << failure;
        for (const Rendered& r : charts) {
            if (r.page != page) continue;
            SCOPED_TRACE("chart " + r.name);
            const Picture shown = Crop(shot, r.left, r.top, r.gif.width, r.gif.height);
            EXPECT_GE(MatchingShare(r.gif, shown, 1, kColorDistance, r.svg.textBoxes), kLooksAlike);
        }
    }
}

}  // namespace

namespace {

// The share of the picture's pixels, outside the boxes (in chart pixels), that have one of the
// reference's colours exactly: a picture drawn sharp has few pixels of blended colours.
double ShareOfReferenceColors(const Picture& picture, const Picture& reference, int scale, const std::vector<Box>& aside) {
    const std::unordered_set<std::uint32_t> colors(reference.rgb.begin(), reference.rgb.end());
    long long counted = 0, exact = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const bool text = std::any_of(aside.begin(), aside.end(), [&](const Box& b) {
                return x / scale >= b.left && x / scale < b.right && y / scale >= b.top && y / scale < b.bottom;
            });
            if (text) continue;
            ++counted;
            exact += colors.contains(picture.At(x, y)) ? 1 : 0;
        }
    return counted == 0 ? 1.0 : static_cast<double>(exact) / static_cast<double>(counted);
}

TEST(ChartFormats, SvgStaysSharpWhenZoomed) {
    if (!ChromiumInstalled()) GTEST_SKIP() << "chromium is not installed";
    ScratchDir dir;
    for (const std::string query : {"command=view&", "command=view&style=3&3D=yes&"}) {
        const Picture gif = PictureOfGif(RunProgram(dir.Program(), GetRequest(query)).body);
        const std::string svg = RunProgram(dir.Program(), GetRequest(query + "format=svg")).body;
        const SvgFacts facts = ReadSvg(svg);
        dir.Write("chart.svg", svg);
        dir.Write("zoom.html", "<!DOCTYPE html><body style=\"margin:0\"><img src=\"chart.svg\"></body>\n");
        for (int zoom : {2, 3}) {
            SCOPED_TRACE(query + " at " + std::to_string(zoom * 100) + " %");
            std::string failure;
            const Picture shot = ChromiumScreenshot(dir.Path() / "zoom.html", gif.width, gif.height, zoom, failure);
            ASSERT_EQ(shot.width, zoom * gif.width) << failure;
            EXPECT_GE(MatchingShare(gif, shot, zoom, kColorDistance, facts.textBoxes), kLooksAlike);
            EXPECT_GE(ShareOfReferenceColors(shot, gif, zoom, facts.textBoxes), 0.98) << "edges are blurred";
        }
    }
}

}  // namespace
