// A setting works the same in every engine: the one-answer rule and the stored address through
// Windows CGI, the resident CGI server and the server extension library.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/engine/resident_server.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/isapi_host.h"

using namespace tallyhouse::engine;
using namespace testsupport;

namespace {

const std::map<std::string, std::string> kSettings = {{"TALLYHOUSE_ONE_ANSWER", "address"},
                                                      {"TALLYHOUSE_STORE_ADDRESS", "none"}};

// The poll holds the first answer alone, without an address.
void ExpectOneAnswerKept(const ScratchDir& dir, const std::string& engine) {
    EXPECT_EQ(dir.Read("q.pol").find(",,first\r\n"), dir.Read("q.pol").size() - 9) << engine << ": " << dir.Read("q.pol");
}

std::string WindowsCgiAdd(const ScratchDir& dir, const std::string& answer) {
    dir.Write("request.ini", "[CGI]\r\nRequest Method=GET\r\nQuery String=command=add&q.pol=" + answer +
                                 "\r\nRemote Address=192.0.2.5\r\n[System]\r\nOutput File=out.txt\r\n");
    CgiRequest request;
    request.args = {(dir.Path() / "request.ini").string()};
    request.env = kSettings;
    RunProgram(dir.Program(), request);
    return dir.Read("out.txt");
}

}  // namespace

TEST(SettingsInEngines, ABadSettingRefusesAFastCgiStart) {
    ScratchDir dir;
    CgiRequest start;
    start.args = {"--fastcgi", "unix:" + (dir.Path() / "tallyhouse.sock").string(), "--workers", "1"};
    start.env = {{"TALLYHOUSE_ANSWER_ORIGINS", "example.org"}};
    const CgiResult refused = RunProgram(dir.Program(), start);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.errors.find("TALLYHOUSE_ANSWER_ORIGINS='example.org' cannot be used: 'example.org' is no origin"),
              std::string::npos)
        << refused.errors;
    EXPECT_FALSE(dir.Exists("tallyhouse.sock"));
}

TEST(SettingsInEngines, TheOneAnswerRuleHoldsInEveryEngine) {
    {
        ScratchDir dir;
        EXPECT_EQ(WindowsCgiAdd(dir, "first").rfind("content-type:text/html", 0), 0u);
        EXPECT_EQ(WindowsCgiAdd(dir, "again").rfind("Status:409 Conflict\r\n", 0), 0u) << dir.Read("out.txt");
        ExpectOneAnswerKept(dir, "Windows CGI");
    }
    {
        ScratchDir dir;
        ResidentServer server(dir, "ServerMode", "command=add&q.pol=first", kSettings);
        ASSERT_GT(server.Pid(), 0);
        const CgiResult again = RunProgram(dir.Program(), ModeRequest(GetRequest("command=add&q.pol=again"), "ServerMode"));
        EXPECT_EQ(again.header.rfind("HTTP/1.1 409 Conflict\r\n", 0), 0u) << again.output;
        ExpectOneAnswerKept(dir, "resident server");
    }
    {
        ScratchDir dir;
        for (const auto& [name, value] : kSettings) setenv(name.c_str(), value.c_str(), 1);
        {
            IsapiLibrary library(dir.Path());
            IsapiCall call;
            call.query = "command=add&q.pol=first";
            library.Call(call);
            call.query = "command=add&q.pol=again";
            EXPECT_EQ(library.Call(call).header.rfind("HTTP/1.1 409 Conflict\r\n", 0), 0u);
        }
        for (const auto& setting : kSettings) unsetenv(setting.first.c_str());
        ExpectOneAnswerKept(dir, "server extension library");
    }
}
