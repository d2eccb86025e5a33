// The resident server behind a real web server: a site starts it by hand in the program's
// folder, and lighttpd's CGI processes hand their requests to it.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "engine/resident/server_record.h"
#include "tests/engine/resident_server.h"
#include "tests/support/http_client.h"
#include "tests/support/web_server.h"

using namespace tallyhouse::engine;

namespace {

using namespace testsupport;

TEST(ResidentServerBehindLighttpd, AHandStartedServerAnswersTheWebServersRequests) {
    if (!WebServerInstalled(WebServerKind::Lighttpd)) GTEST_SKIP() << "lighttpd is not installed";
    ScratchDir dir;
    // No parameters and no SERVER_SOFTWARE: the program runs as the resident server.
    CgiRequest byHand;
    byHand.timeoutSeconds = 60;
    auto server = std::async(std::launch::async, [&] { return RunProgram(dir.Program(), byHand); });
    ASSERT_TRUE(WaitFor(30, [&] { return ServerShown(dir); }));
    const pid_t pid = static_cast<pid_t>(std::stol(dir.Read("Temp/tallyhouse.cgi_S.pid")));
    WebServer web(WebServerKind::Lighttpd, dir.Path());
    ASSERT_TRUE(web.Running()) << web.ErrorLog();

    // While the server is stopped the request waits in its list: it really goes through it.
    kill(pid, SIGSTOP);
    auto held = std::async(std::launch::async, [&] { return HttpGet(web.Port(), "/cgi-bin/tallyhouse.cgi"); });
    EXPECT_TRUE(WaitFor(30, [&] { return DecodeServerList(dir.Read("Temp/tallyhouse.cgi_S")).size() == 1; }));
    EXPECT_EQ(held.wait_for(std::chrono::seconds(0)), std::future_status::timeout) << "answered without the server";
    kill(pid, SIGCONT);
    const HttpResponse first = held.get();
    EXPECT_EQ(first.status, 200);
    EXPECT_NE(first.body.find("Version 1.00s - 05/29/1999"), std::string::npos);
    EXPECT_EQ(first.Header("content-length"), std::to_string(first.body.size()));

    std::vector<std::future<HttpResponse>> running;
    for (int i = 0; i < 10; ++i)
        running.push_back(std::async(std::launch::async, [&, i] {
            return HttpGet(web.Port(), "/cgi-bin/tallyhouse.cgi?command=add&web.pol=a" + std::to_string(i) +
                                           "&backurl=/back/");
        }));
    for (auto& one : running) {
        const HttpResponse response = one.get();
        EXPECT_EQ(response.status, 200);
        EXPECT_NE(response.body.find("0;URL=/back/"), std::string::npos) << response.body;
    }
    const std::string poll = dir.Read("web.pol");
    EXPECT_EQ(std::count(poll.begin(), poll.end(), '\n'), 10) << poll;

    std::filesystem::remove(ServerListOf(dir));
    EXPECT_EQ(server.get().exitCode, 0) << "the server did not end when its list went";
}

}  // namespace
