// Every gallery chart keeps the pixels a person accepted (tests/app/chart_goldens.txt): a change
// that claims to leave the charts as they were is held to it here.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/chart_gallery.h"

using namespace testsupport;

namespace {

constexpr const char* kGoldenFile = TALLYHOUSE_SOURCE_DIR "/tests/app/chart_goldens.txt";
constexpr const char* kHowToAccept =
    "\nIf the change is meant, look at the pictures and accept them: scripts/gallery --accept";

TEST(ChartGoldens, EveryGalleryChartKeepsItsPixels) {
    const std::map<std::string, std::string> goldens = ReadGoldenFile(ReadFile(kGoldenFile));
    ScratchDir dir;
    WriteGalleryPolls(dir);
    std::set<std::string> charted;
    for (const GalleryChart& chart : GalleryCharts()) {
        const std::string key = GoldenKey(chart);
        charted.insert(key);
        const GalleryPicture picture = RenderGalleryChart(dir, chart);
        ASSERT_EQ(picture.error, "") << key;
        const auto golden = goldens.find(key);
        if (golden == goldens.end())
            ADD_FAILURE() << "no golden hash for " << key << kHowToAccept;
        else
            EXPECT_EQ(picture.hash, golden->second) << "the pixels of " << key << " changed" << kHowToAccept;
    }
    for (const auto& [key, hash] : goldens)
        EXPECT_TRUE(charted.contains(key)) << "a golden hash for a chart the gallery no longer has: " << key;
}

}  // namespace
