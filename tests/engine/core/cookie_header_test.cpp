#include <gtest/gtest.h>

#include "engine/core/cookie_header.h"

using namespace tallyhouse::engine;

TEST(CookieHeader, ValuesOfOneNameInOrder) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(CookieValues("a=1; id=x; b=2;id = \"y\" ;", "id"), (V{"x", "y"}));
    EXPECT_EQ(CookieValues("ida=1; aid=2; ID=3; id", "id"), V{});
    EXPECT_EQ(CookieValues(";;=;id=", "id"), V{""});
}

TEST(CookieHeader, SetCookieIsHttpOnlyAndLax) {
    EXPECT_EQ(SetCookieValue({"v", "1", "/cgi-bin/tallyhouse.cgi", 60, false}),
              "v=1; Path=/cgi-bin/tallyhouse.cgi; Max-Age=60; HttpOnly; SameSite=Lax");
    EXPECT_EQ(SetCookieValue({"v", "1", "/a;b", 60, true}), "v=1; Path=/; Max-Age=60; HttpOnly; SameSite=Lax; Secure");
    EXPECT_EQ(SetCookieValue({"v", "1", "", 60, false}).find("Path=/;"), 5u);
}
