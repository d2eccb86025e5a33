// The cookie component's name follows its component's renames only while it is that name.
#include <gtest/gtest.h>

#include "engine/core/http_cookie.h"
#include "engine/core/http_engine.h"
#include "engine/core/request_state.h"

using namespace tallyhouse::engine;

namespace {

TEST(HttpCookie, CookieNameFollowsTheComponentNameOnlyWhileItIsThatName) {
    THttpCookie dropped(true);
    dropped.SetName("Cookie1");
    EXPECT_EQ(dropped.CookieName, "Cookie1") << "a cookie dropped at design time takes its name";
    dropped.SetName("SessionCookie");
    EXPECT_EQ(dropped.CookieName, "SessionCookie") << "the rename is followed";

    dropped.CookieName = "visits";
    dropped.SetName("Counter");
    EXPECT_EQ(dropped.CookieName, "visits") << "a name of its own stays";
    EXPECT_EQ(dropped.Name(), "Counter");

    THttpCookie otherCase(true);
    otherCase.SetName("Cookie2");
    otherCase.CookieName = "COOKIE2";
    otherCase.SetName("Basket");
    EXPECT_EQ(otherCase.CookieName, "Basket") << "the old name in another letter case still follows";
}

// An active engine that records the session cookie its handler sees.
class SessionEngine : public THttpEngine {
public:
    std::string seenName;
    bool seenCoded = false;
    int seenKey = 0;
    bool active = true;
    void ExecRequest() override {
        const THttpCookie* cookie = RequestState().SessionCookie.get();
        if (!cookie) return;
        seenName = cookie->CookieName;
        seenCoded = cookie->Coded;
        seenKey = cookie->CodeKey;
    }
    std::string GetVariable(const std::string&) override { return ""; }
    std::string GetField(const std::string&, const std::string& Default) override { return Default; }
    std::vector<std::string> GetFieldNames() override { return {}; }
    bool IsActive() override { return active; }

protected:
    void SendToClient(const char*, size_t) override {}
};

TEST(HttpCookie, EveryRequestOfAnActiveEngineGetsACodedSessionCookieNamedAfterTheSession) {
    SessionEngine engine;
    engine.SessionName = "DefaultSession";
    engine.ProcessRequest();
    EXPECT_EQ(engine.seenName, "DefaultSession");
    EXPECT_TRUE(engine.seenCoded);
    EXPECT_GE(engine.seenKey, 100);
    EXPECT_LE(engine.seenKey, 999);

    SessionEngine inactive;
    inactive.active = false;
    RequestState().SessionCookie.reset();
    inactive.ProcessRequest();
    EXPECT_EQ(inactive.seenName, "") << "an engine that serves nothing here made a session";
    RequestState().CurrentEngine = nullptr;
}

}  // namespace
