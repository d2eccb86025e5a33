// The same status and page through every web server, as standard CGI and as FastCGI, with the
// settings that keep a poll honest on: one table of requests per server, one server start each.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/http_client.h"
#include "tests/support/web_server.h"

using namespace tallyhouse::app;
using namespace testsupport;

namespace {

constexpr char kProgram[] = "/cgi-bin/tallyhouse.cgi";
constexpr char kListed[] = "Origin: https://polls.example.org\r\n";

const std::map<std::string, std::string> kSettings = {
    {"TALLYHOUSE_ONE_ANSWER", "cookie+address"},
    {"TALLYHOUSE_ANSWER_ORIGINS", "https://polls.example.org"},
    {"TALLYHOUSE_ANSWER_POST_ONLY", "yes"},
    {"TALLYHOUSE_TRUSTED_PROXIES", "127.0.0.1 ::1"},
    {"TALLYHOUSE_STORE_ADDRESS", "short"},
};

std::string From(const std::string& address) { return std::string(kListed) + "X-Forwarded-For: " + address + "\r\n"; }

class HonestServers : public ::testing::TestWithParam<WebServerKind> {};

TEST_P(HonestServers, EveryAnswerHasItsStatusAndPage) {
    if (!WebServerInstalled(GetParam())) GTEST_SKIP() << WebServerName(GetParam()) << " is not installed";
    ScratchDir dir;
    dir.Write("closed.pol", "2026-12-08,192.0.2.0,yes\r\n");
    std::filesystem::permissions(dir.Path() / "closed.pol", std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    dir.Write("damaged.pol", "");
    std::filesystem::permissions(dir.Path() / "damaged.pol", std::filesystem::perms::all);
    dir.Write("damaged.pol.answered", "not a record");
    WebServer server(GetParam(), dir.Path(), kSettings);
    ASSERT_TRUE(server.Running()) << server.ErrorLog();
    const std::string values = [] {
        std::string many;
        for (int i = 0; i < 51; ++i) many += "&q.pol=" + std::to_string(i);
        return many;
    }();
    const struct {
        const char* what;
        const char* method;
        std::string query;  // the body of a POST
        std::string headers;
        int status;
        std::string page;  // the message page's text; empty: no message page
    } cases[] = {
        {"help", "GET", "", "", 200, ""},
        {"an answer", "POST", "command=add&q.pol=yes&backurl=%2Fthanks.html", From("203.0.113.9"), 200, ""},
        {"the same address again", "POST", "command=add&q.pol=no", From("203.0.113.9"), 409,
         std::string(kRepeatMessage)},
        {"another site", "POST", "command=add&q.pol=no", "Origin: https://evil.example\r\n", 403,
         "Answers are taken only from this site's own pages: nothing was recorded !"},
        {"by GET", "GET", "?command=add&q.pol=no", kListed, 405,
         "Answers are taken only from forms sent with the method POST: nothing was recorded !"},
        {"a closed poll", "POST", "command=add&closed.pol=no&open.pol=yes", From("203.0.113.10"), 403,
         std::string(kClosedMessage)},
        {"no poll", "POST", "command=add&q.POL=yes", From("203.0.113.11"), 400, std::string(kNoPollMessage)},
        {"over a limit", "POST", "command=add" + values, From("203.0.113.12"), 400,
         "Answers refused: more than 50 values for q.pol"},
        {"a failure of the server", "POST", "command=add&damaged.pol=yes", From("203.0.113.13"), 500,
         "The request could not be completed: the server failed. Its log says why."},
        {"a view parameter that is no number", "GET", "?command=view&height=abc", "", 400,
         "'abc' ist kein g\xFCltiger Integerwert"},
        {"a size beyond the limit", "GET", "?command=view&width=100000", "", 400, std::string(kChartSizeMessage)},
        {"a poll that does not exist", "GET", "?command=view&filename=nosuch.pol", "", 404,
         "Pollfile \"nosuch.pol\"not found !"},
        {"a redirect off the site", "POST", "command=add&q2.pol=yes&backurl=https%3A%2F%2Fevil.example%2F",
         From("203.0.113.14"), 200, std::string(kSavedMessage)},
    };
    for (const auto& c : cases) {
        const bool post = std::string(c.method) == "POST";
        const HttpResponse r = HttpRequest(server.Port(), c.method, kProgram + std::string(post ? "" : c.query),
                                           post ? c.query : "", "application/x-www-form-urlencoded", c.headers);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.statusLine << "\n" << server.ErrorLog();
        EXPECT_EQ(r.Header("content-type").rfind("text/html", 0), 0u) << c.what;
        if (!c.page.empty()) {
            EXPECT_EQ(r.body, SentMessagePage(c.page)) << c.what;
        }
        if (c.status == 405) {
            EXPECT_EQ(r.Header("allow"), "POST") << c.what;
        }
    }
    EXPECT_EQ(dir.Read("closed.pol"), "2026-12-08,192.0.2.0,yes\r\n");
    EXPECT_FALSE(dir.Exists("open.pol"));
    const std::string poll = dir.Read("q.pol");
    EXPECT_EQ(std::count(poll.begin(), poll.end(), '\n'), 1) << poll;
    EXPECT_NE(poll.find(",203.0.113.0,yes\r\n"), std::string::npos) << "the proxy's client, shortened: " << poll;
}

INSTANTIATE_TEST_SUITE_P(Servers, HonestServers,
                         ::testing::Values(WebServerKind::Lighttpd, WebServerKind::Apache, WebServerKind::Nginx,
                                           WebServerKind::LighttpdFastCgi, WebServerKind::ApacheFastCgi,
                                           WebServerKind::NginxFastCgi),
                         [](const auto& param) { return std::string(WebServerName(param.param)); });

}  // namespace
