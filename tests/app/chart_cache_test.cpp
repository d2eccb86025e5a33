// The chart cache's bound and the If-None-Match comparison.
#include <gtest/gtest.h>

#include "app/chart_cache.h"
#include "app/chart_key.h"

namespace {

TCachedAnswer Gif(std::string body) { return {"image/gif", std::move(body)}; }

}  // namespace

TEST(ChartCache, KeepsTheRecentlyUsedChartsWithinItsBound) {
    TChartCache cache(4000);
    cache.Store("a", Gif(std::string(900, 'a')));
    cache.Store("b", Gif(std::string(900, 'b')));
    cache.Store("c", Gif(std::string(900, 'c')));
    ASSERT_NE(cache.Find("a"), nullptr) << "a is now the most recently used";
    cache.Store("d", Gif(std::string(900, 'd')));
    cache.Store("e", Gif(std::string(900, 'e')));
    EXPECT_LE(cache.Bytes(), 4000u);
    EXPECT_EQ(cache.Find("c")->contentType, "image/gif") << "an answer keeps its content type";
    EXPECT_EQ(cache.Find("b"), nullptr) << "the least recently used went first";
    ASSERT_NE(cache.Find("a"), nullptr);
    EXPECT_EQ(cache.Find("a")->body, std::string(900, 'a'));
    EXPECT_NE(cache.Find("e"), nullptr);
    cache.Store("e", Gif("new"));
    EXPECT_EQ(cache.Find("e")->body, "new") << "a key stored again holds the new chart";
    cache.Store("huge", Gif(std::string(1001, 'h')));
    EXPECT_EQ(cache.Find("huge"), nullptr) << "more than a quarter of the bound is not kept";
    TChartCache off(0);
    off.Store("a", Gif("x"));
    EXPECT_EQ(off.Find("a"), nullptr) << "a bound of 0 switches the cache off";
}

TEST(ChartCache, IfNoneMatchNamesTheTagInAnyFormItTakes) {
    const std::string tag = "\"0123456789abcdef0123456789abcdef\"";
    const struct {
        std::string header;
        bool matches;
    } cases[] = {
        {tag, true},
        {"W/" + tag, true},
        {"\"other\", " + tag, true},
        {" " + tag + " ,\"other\"", true},
        {"*", true},
        {"", false},
        {"\"other\"", false},
        {tag.substr(1, 32), false},
        {tag + "x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IfNoneMatchHas(c.header, tag), c.matches) << c.header;
    EXPECT_NE(EntityTag("a"), EntityTag("b"));
    EXPECT_EQ(EntityTag("a"), EntityTag("a"));
}
