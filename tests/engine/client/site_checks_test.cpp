#include <gtest/gtest.h>

#include "engine/client/site_checks.h"

using namespace tallyhouse::engine;

TEST(SiteChecks, AnswersComeFromListedSitesOnly) {
    const std::vector<TUrlSite> sites = {*ParseOrigin("https://example.org"), *ParseOrigin("http://polls.example.org:8080")};
    const struct {
        const char* fault;
        const char* origin;
        const char* referer;
        bool listed;
    } cases[] = {
        {"listed origin", "https://example.org", "", true},
        {"origin in capitals", "HTTPS://EXAMPLE.ORG", "", true},
        {"default port written", "https://example.org:443", "", true},
        {"other port", "https://example.org:8443", "", false},
        {"other scheme", "http://example.org", "", false},
        {"listed port", "http://polls.example.org:8080", "", true},
        {"other site", "https://evil.example", "https://example.org/form.html", false},
        {"suffix of a listed host", "https://example.org.evil.example", "", false},
        {"null origin", "null", "https://example.org/", false},
        {"origin with a path", "https://example.org/x", "", false},
        {"referer of a listed page", "", "https://example.org/polls/form.html?x=1#y", true},
        {"referer of another site", "", "https://evil.example/?https://example.org/", false},
        {"referer with a user part", "", "https://example.org@evil.example/", false},
        {"referer with a blank", "", "https://example.org /", false},
        {"referer with a backslash", "", "https://evil.example\\@example.org/", false},
        {"neither header", "", "", false},
        {"garbage", "\x01\xFF", "", false},
        {"IPv6 host not listed", "https://[::1]", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(FromListedSite(c.origin, c.referer, sites), c.listed) << c.fault;
}

TEST(SiteChecks, BackurlStaysOnTheSite) {
    const std::vector<std::string> others = {"www.example.org"};
    const struct {
        const char* fault;
        const char* backurl;
        bool followed;
    } cases[] = {
        {"relative path", "/results.html", true},
        {"relative file", "thanks.html?poll=1", true},
        {"relative with a colon later", "page.html?t=12:00", true},
        {"own host", "https://example.org/results.html", true},
        {"own host with a port", "http://EXAMPLE.org:8080/", true},
        {"listed host", "https://www.example.org/", true},
        {"other site", "https://evil.example/", false},
        {"scheme-relative other site", "//evil.example/", false},
        {"scheme-relative own host", "//example.org/x", false},
        {"backslashes browsers read as slashes", "/\\evil.example/", false},
        {"tab browsers drop", "/\t/evil.example/", false},
        {"leading blank", " //evil.example/", false},
        {"user part hiding the host", "https://example.org@evil.example/", false},
        {"javascript", "javascript:alert(1)", false},
        {"quoted javascript", "'javascript:alert(1)'", false},
        {"data", "data:text/html,x", false},
        {"scheme without slashes", "http:evil.example", false},
        {"host suffix", "https://example.org.evil.example/", false},
        {"percent in the host", "https://evil%2Eexample/", false},
    };
    for (const auto& c : cases) EXPECT_EQ(RedirectAllowed(c.backurl, "example.org", others), c.followed) << c.fault;
    EXPECT_FALSE(RedirectAllowed("https://example.org/", "", {})) << "no own host known";
    EXPECT_EQ(HostOfHostHeader("Example.org:8080"), "example.org");
    EXPECT_EQ(HostOfHostHeader("[::1]:80"), "[::1]");
    EXPECT_EQ(HostOfHostHeader("bad host"), "");
}
