// The chart cache's bound and the If-None-Match comparison.
#include <gtest/gtest.h>
#include <malloc.h>

#include <random>

// The sanitizer's allocator keeps its own books, which mallinfo2 does not see.
#if defined(__SANITIZE_ADDRESS__)
#define HEAP_IS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_IS_SANITIZED 1
#endif
#endif

#include "app/chart_cache.h"
#include "app/chart_key.h"

using namespace tallyhouse::app;

namespace {

TCachedAnswer Gif(std::string body) { return {"image/gif", std::move(body), {}}; }

}  // namespace

TEST(ChartCache, KeepsTheRecentlyUsedChartsWithinItsBound) {
    TChartCache cache(5000);
    cache.Store("a", Gif(std::string(900, 'a')));
    cache.Store("b", Gif(std::string(900, 'b')));
    cache.Store("c", Gif(std::string(900, 'c')));
    ASSERT_NE(cache.Find("a"), nullptr) << "a is now the most recently used";
    cache.Store("d", Gif(std::string(900, 'd')));
    cache.Store("e", Gif(std::string(900, 'e')));
    EXPECT_LE(cache.Bytes(), 5000u);
    EXPECT_EQ(cache.Find("b"), nullptr) << "the least recently used went first";
    ASSERT_NE(cache.Find("a"), nullptr);
    EXPECT_EQ(cache.Find("a")->body, std::string(900, 'a'));
    EXPECT_EQ(cache.Find("a")->contentType, "image/gif") << "an answer keeps its content type";
    EXPECT_NE(cache.Find("e"), nullptr);
    cache.Store("e", Gif("new"));
    EXPECT_EQ(cache.Find("e")->body, "new") << "a key stored again holds the new chart";
    cache.Store("huge", Gif(std::string(1300, 'h')));
    EXPECT_EQ(cache.Find("huge"), nullptr) << "more than a quarter of the bound is not kept";
    TChartCache off(0);
    off.Store("a", Gif("x"));
    EXPECT_EQ(off.Find("a"), nullptr) << "a bound of 0 switches the cache off";
}

// The bound is what the process really gives the cache, not only the chart bytes: many small
// charts under long keys (every view parameter is in a key) once took more than twice it.
TEST(ChartCache, HoldsNoMoreHeapThanItsBound) {
#if defined(HEAP_IS_SANITIZED)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own books";
#else
    constexpr std::size_t kBound = 4 << 20;
    const std::size_t before = mallinfo2().uordblks;
    {
        TChartCache cache(kBound);
        std::mt19937 random(1);
        for (int i = 0; i < 40000; ++i) {
            std::string chart(200 + random() % 400, 'g');
            chart.reserve(chart.size() * 2);  // as a growing byte sink leaves it
            cache.Store(std::string(150, 'k') + std::to_string(i), Gif(std::move(chart)));
        }
        const std::size_t held = mallinfo2().uordblks - before;
        EXPECT_LE(held, kBound + kBound / 20) << "the cache holds " << held << " bytes against a bound of " << kBound;
        EXPECT_GE(held, kBound / 2) << "the bound is not spent on bookkeeping alone";
    }
#endif
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
