// The operator's settings that keep a poll honest, through the CGI program.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <future>
#include <regex>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::app;
using namespace testsupport;

namespace {

using TSettings = std::map<std::string, std::string>;

CgiRequest AddRequest(const std::string& fields, const TSettings& settings, const TSettings& extra = {}) {
    CgiRequest request = GetRequest("command=add&" + fields);
    for (const auto& [name, value] : settings) request.env[name] = value;
    for (const auto& [name, value] : extra) request.env[name] = value;
    return request;
}

int Lines(const ScratchDir& dir, const std::string& poll) {
    if (!dir.Exists(poll)) return 0;
    const std::string text = dir.Read(poll);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string StatusOf(const CgiResult& result) { return result.header.substr(0, result.header.find("\r\n")); }

// The visitor cookie a response sets, as a request's Cookie header sends it back.
std::string CookieOf(const CgiResult& result) {
    std::smatch match;
    const std::regex setCookie("Set-Cookie:(tallyhouse_visitor=[0-9a-f]{32}\\.[0-9a-f]{32});");
    return std::regex_search(result.header, match, setCookie) ? match[1].str() : "";
}

}  // namespace

TEST(HonestAdd, OneAnswerPerVisitorByCookieAddressOrBoth) {
    const struct {
        const char* fault;
        const char* rule;
        bool cookieKept;      // the second add sends the first one's cookie back
        const char* address;  // the second add's address
        bool recorded;        // the second add's answer is recorded
    } cases[] = {
        {"cookie: a visitor keeping the cookie", "cookie", true, "192.0.2.1", false},
        {"cookie: a visitor without it answers again", "cookie", false, "192.0.2.1", true},
        {"address: the same address", "address", false, "192.0.2.1", false},
        {"address: another address", "address", true, "192.0.2.2", true},
        {"address: IPv6 within the same /64", "address", false, "2001:db8:1:2::99", false},
        {"both: the cookie alone", "cookie+address", true, "192.0.2.2", false},
        {"both: the address alone", "cookie+address", false, "192.0.2.1", false},
        {"both: neither", "cookie+address", false, "192.0.2.2", true},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const TSettings settings{{"TALLYHOUSE_ONE_ANSWER", c.rule}};
        const std::string first = std::string(c.address).find(':') == std::string::npos ? "192.0.2.1" : "2001:db8:1:2::1";
        const CgiResult answered = RunProgram(dir.Program(), AddRequest("q.pol=yes", settings, {{"REMOTE_ADDR", first}}));
        EXPECT_EQ(StatusOf(answered), "HTTP/1.1 200 OK") << c.fault;
        const std::string cookie = CookieOf(answered);
        EXPECT_EQ(cookie.empty(), std::string(c.rule) == "address") << c.fault << ": " << answered.header;
        TSettings again{{"REMOTE_ADDR", c.address}};
        if (c.cookieKept) again["HTTP_COOKIE"] = "other=1; " + cookie;
        const CgiResult second = RunProgram(dir.Program(), AddRequest("q.pol=no&backurl=/results.html", settings, again));
        EXPECT_EQ(Lines(dir, "q.pol"), c.recorded ? 2 : 1) << c.fault;
        EXPECT_EQ(StatusOf(second), c.recorded ? "HTTP/1.1 200 OK" : "HTTP/1.1 409 Conflict") << c.fault;
        if (!c.recorded) {
            EXPECT_EQ(second.body, SentMessagePage(std::string(kRepeatMessage) + OnwardLink("/results.html"))) << c.fault;
        }
        EXPECT_FALSE(dir.Exists("q.pol.answered.new")) << c.fault;
    }
}

TEST(HonestAdd, TheCookieIsTheProgramsOwnAndNamesNoPoll) {
    ScratchDir dir;
    const TSettings settings{{"TALLYHOUSE_ONE_ANSWER", "cookie"}};
    const CgiResult plain = RunProgram(dir.Program(), AddRequest("q.pol=yes", settings));
    EXPECT_TRUE(std::regex_search(plain.header, std::regex("\r\nSet-Cookie:tallyhouse_visitor=[0-9a-f]{32}\\.[0-9a-f]{32}; "
                                                           "Path=/cgi-bin/tallyhouse.cgi; Max-Age=34560000; HttpOnly; "
                                                           "SameSite=Lax\r\n")))
        << plain.header;
    const CgiResult secure = RunProgram(dir.Program(), AddRequest("q.pol=yes", settings, {{"HTTPS", "on"}}));
    EXPECT_NE(secure.header.find("; SameSite=Lax; Secure\r\n"), std::string::npos) << secure.header;
    std::string forged = CookieOf(plain);
    forged[forged.size() - 1] = forged.back() == '0' ? '1' : '0';
    const CgiResult third = RunProgram(dir.Program(), AddRequest("q.pol=yes", settings, {{"HTTP_COOKIE", forged}}));
    EXPECT_EQ(StatusOf(third), "HTTP/1.1 200 OK") << "an id the program did not sign counts as none";
    EXPECT_EQ(Lines(dir, "q.pol"), 3);
    struct stat info {};
    ASSERT_EQ(stat((dir.Path() / "tallyhouse.secret").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.Read("q.pol").find("tallyhouse_visitor"), std::string::npos);
}

TEST(HonestAdd, AVisitorsAnswersAtTheSameMomentAreRecordedOnce) {
    ScratchDir dir;
    const TSettings settings{{"TALLYHOUSE_ONE_ANSWER", "address"}};
    std::vector<std::future<CgiResult>> adds;
    for (int i = 0; i < 12; ++i)
        adds.push_back(std::async(std::launch::async, [&] { return RunProgram(dir.Program(), AddRequest("q.pol=yes", settings)); }));
    int saved = 0;
    for (auto& add : adds) saved += StatusOf(add.get()) == "HTTP/1.1 200 OK";
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(Lines(dir, "q.pol"), 1);
    const std::string log = dir.Read("Log/tallyhouse.Log");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "the repeats are counted, not each logged:\n" << log;
    EXPECT_NE(log.find("One answer per visitor: 1 repeat answer to q.pol not recorded"), std::string::npos) << log;
}

TEST(HonestAdd, PollsTheVisitorAnsweredAreLeftOutAndTheOthersRecorded) {
    ScratchDir dir;
    const TSettings settings{{"TALLYHOUSE_ONE_ANSWER", "address"}};
    RunProgram(dir.Program(), AddRequest("q1.pol=yes", settings));
    const CgiResult both = RunProgram(dir.Program(), AddRequest("q1.pol=no&q2.pol=no", settings));
    EXPECT_EQ(StatusOf(both), "HTTP/1.1 409 Conflict");
    EXPECT_EQ(both.body, SentMessagePage(std::string(kRepeatMessage) + std::string(kOthersSavedMessage)));
    EXPECT_EQ(Lines(dir, "q1.pol"), 1);
    EXPECT_EQ(Lines(dir, "q2.pol"), 1);
}

TEST(HonestAdd, AddressesAsStoredAndBehindTrustedProxies) {
    const struct {
        const char* fault;
        TSettings settings;
        TSettings request;
        const char* stored;
    } cases[] = {
        {"full by default", {}, {{"REMOTE_ADDR", "192.0.2.77"}}, "192.0.2.77"},
        {"short IPv4", {{"TALLYHOUSE_STORE_ADDRESS", "short"}}, {{"REMOTE_ADDR", "192.0.2.77"}}, "192.0.2.0"},
        {"short IPv6", {{"TALLYHOUSE_STORE_ADDRESS", "short"}}, {{"REMOTE_ADDR", "2001:db8:1:2::5"}}, "2001:db8:1::"},
        {"none", {{"TALLYHOUSE_STORE_ADDRESS", "none"}}, {{"REMOTE_ADDR", "192.0.2.77"}}, ""},
        {"no trusted proxy: headers are the client's to make up", {},
         {{"REMOTE_ADDR", "127.0.0.1"}, {"HTTP_X_FORWARDED_FOR", "203.0.113.9"}}, "127.0.0.1"},
        {"the client of a trusted proxy", {{"TALLYHOUSE_TRUSTED_PROXIES", "127.0.0.0/8 ::1"}},
         {{"REMOTE_ADDR", "127.0.0.1"}, {"HTTP_X_FORWARDED_FOR", "1.2.3.4, 203.0.113.9"}}, "203.0.113.9"},
        {"Forwarded when the operator names it",
         {{"TALLYHOUSE_TRUSTED_PROXIES", "127.0.0.1"}, {"TALLYHOUSE_PROXY_HEADER", "Forwarded"}},
         {{"REMOTE_ADDR", "127.0.0.1"}, {"HTTP_X_FORWARDED_FOR", "1.2.3.4"}, {"HTTP_FORWARDED", "for=\"[2001:db8::7]\""}},
         "2001:db8::7"},
        {"a request not from the proxy", {{"TALLYHOUSE_TRUSTED_PROXIES", "127.0.0.1"}},
         {{"REMOTE_ADDR", "198.51.100.3"}, {"HTTP_X_FORWARDED_FOR", "203.0.113.9"}}, "198.51.100.3"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        RunProgram(dir.Program(), AddRequest("q.pol=yes", c.settings, c.request));
        EXPECT_TRUE(std::regex_match(dir.Read("q.pol"), std::regex("[^,]+," + std::regex_replace(c.stored, std::regex("\\."), "\\.") +
                                                                   ",yes\r\n")))
            << c.fault << ": " << dir.Read("q.pol");
    }
}

TEST(HonestAdd, RefusedRequestsRecordNothing) {
    const TSettings origins{{"TALLYHOUSE_ANSWER_ORIGINS", "https://example.org"}};
    const TSettings postOnly{{"TALLYHOUSE_ANSWER_POST_ONLY", "yes"}};
    const struct {
        const char* fault;
        const TSettings& settings;
        TSettings request;
        const char* status;
    } cases[] = {
        {"a listed site's page", origins, {{"HTTP_ORIGIN", "https://example.org"}}, "HTTP/1.1 200 OK"},
        {"a listed site's page, by Referer", origins, {{"HTTP_REFERER", "https://example.org/poll.html"}}, "HTTP/1.1 200 OK"},
        {"another site's page", origins, {{"HTTP_ORIGIN", "https://evil.example"}}, "HTTP/1.1 403 Forbidden"},
        {"another site behind a listed Referer", origins,
         {{"HTTP_ORIGIN", "https://evil.example"}, {"HTTP_REFERER", "https://example.org/"}}, "HTTP/1.1 403 Forbidden"},
        {"an image on another site without a Referer", origins, {}, "HTTP/1.1 403 Forbidden"},
        {"a huge forged Origin", origins, {{"HTTP_ORIGIN", std::string(60000, 'h')}}, "HTTP/1.1 403 Forbidden"},
        {"GET where only POST is taken", postOnly, {}, "HTTP/1.1 405 Method Not Allowed"},
        {"POST where only POST is taken", postOnly, {{"REQUEST_METHOD", "POST"}}, "HTTP/1.1 200 OK"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const bool post = c.request.count("REQUEST_METHOD") != 0;
        CgiRequest request = post ? PostRequest("command=add&q.pol=yes") : GetRequest("command=add&q.pol=yes");
        for (const auto& [name, value] : c.settings) request.env[name] = value;
        for (const auto& [name, value] : c.request) request.env[name] = value;
        const CgiResult result = RunProgram(dir.Program(), request);
        EXPECT_EQ(StatusOf(result), c.status) << c.fault;
        EXPECT_EQ(Lines(dir, "q.pol"), std::string(c.status) == "HTTP/1.1 200 OK" ? 1 : 0) << c.fault;
        if (std::string(c.status).find("405") != std::string::npos) {
            EXPECT_NE(result.header.find("\r\nAllow:POST\r\n"), std::string::npos) << result.header;
        }
    }
}

TEST(HonestAdd, AClosedPollTakesNoAnswerOfTheRequestAndIsStillShown) {
    ScratchDir dir;
    dir.Write("closed.pol", "2026-12-08,1.2.3.4,yes\r\n");
    std::filesystem::permissions(dir.Path() / "closed.pol", std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const CgiResult add = RunProgram(dir.Program(), GetRequest("command=add&open.pol=1&closed.pol=no&backurl=/"));
    EXPECT_EQ(StatusOf(add), "HTTP/1.1 403 Forbidden");
    EXPECT_EQ(add.body, SentMessagePage(kClosedMessage));
    EXPECT_FALSE(dir.Exists("open.pol"));
    EXPECT_EQ(dir.Read("closed.pol"), "2026-12-08,1.2.3.4,yes\r\n");
    const CgiResult view = RunProgram(dir.Program(), GetRequest("command=view&filename=closed.pol"));
    EXPECT_EQ(StatusOf(view), "HTTP/1.1 200 OK");
}

TEST(HonestAdd, BackurlLeadsOnlyWithinTheSite) {
    const struct {
        const char* fault;
        const char* backurl;
        TSettings settings;
        bool followed;
    } cases[] = {
        {"relative", "%2Fresults.html", {}, true},
        {"the request's own host", "http%3A%2F%2Fpolls.example.org%3A8080%2F", {}, true},
        {"another site", "https%3A%2F%2Fevil.example%2F", {}, false},
        {"another site the operator lists", "https%3A%2F%2Fwww.example.org%2F", {{"TALLYHOUSE_REDIRECT_HOSTS", "www.example.org"}}, true},
        {"scheme-relative", "%2F%2Fevil.example%2F", {}, false},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const CgiResult result = RunProgram(
            dir.Program(), AddRequest(std::string("q.pol=1&backurl=") + c.backurl, c.settings, {{"HTTP_HOST", "polls.example.org:8080"}}));
        EXPECT_EQ(StatusOf(result), "HTTP/1.1 200 OK") << c.fault;
        EXPECT_EQ(result.body.find("REFRESH") != std::string::npos, c.followed) << c.fault;
        if (!c.followed) {
            EXPECT_EQ(result.body, SentMessagePage(kSavedMessage)) << c.fault;
        }
    }
}

TEST(HonestAdd, ABadSettingFailsEveryRequestWithAPageAndTheLogNamesIt) {
    ScratchDir dir;
    for (const char* query : {"", "command=view", "command=add&q.pol=1"}) {
        CgiRequest request = GetRequest(query);
        request.env["TALLYHOUSE_ONE_ANSWER"] = "cookies";
        const CgiResult result = RunProgram(dir.Program(), request);
        EXPECT_EQ(StatusOf(result), "HTTP/1.1 500 Internal Server Error") << query;
        EXPECT_EQ(result.body.find("cookies"), std::string::npos) << "the page names no setting";
    }
    EXPECT_FALSE(dir.Exists("q.pol"));
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("TALLYHOUSE_ONE_ANSWER='cookies' cannot be used"), std::string::npos);
}
