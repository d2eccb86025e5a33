// The start-up decision through the built program: the rows a CGI program meets.
#include <future>

#include <gtest/gtest.h>

#include "tests/engine/resident_server.h"

namespace {

using namespace testsupport;

TEST(StartUpDecision, TheBuiltProgramServesStandardCgiAndLeavesWindowsCgiToItsEngine) {
    ScratchDir dir;
    const CgiResult standard = RunProgram(dir.Program(), GetRequest(""));
    EXPECT_NE(standard.body.find("Version 1.00s"), std::string::npos) << "standard CGI";

    CgiRequest byDataFile;
    byDataFile.args = {"request.ini"};
    const CgiResult windows = RunProgram(dir.Program(), byDataFile);
    EXPECT_EQ(windows.exitCode, 0);
    EXPECT_EQ(windows.output, "");
    const std::string log = dir.Read("Log/tallyhouse.Log");
    size_t lines = 0;
    for (size_t at = 0; (at = log.find("Can not read request file", at)) != std::string::npos; ++at)
        ++lines;
    EXPECT_EQ(lines, 1u) << "only the missing request file is an error: " << log;

    // Named Windows CGI but given no request file: the resident Windows CGI server.
    CgiRequest byVersion = GetRequest("");
    byVersion.env["CGI_VERSION"] = "CGI/1.3a (Win)";
    auto server = std::async(std::launch::async, [&] { return RunProgram(dir.Program(), byVersion); });
    EXPECT_TRUE(WaitFor(30, [&] { return ServerShown(dir); }));
    std::filesystem::remove(ServerListOf(dir));
    const CgiResult ended = server.get();
    EXPECT_EQ(ended.exitCode, 0) << "a server whose queue is gone ends";
    EXPECT_EQ(ended.output, "");
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S.pid")) << "and takes its mark along";
}

TEST(StartUpDecision, WithoutServerSoftwareOrParametersTheProgramBecomesTheResidentServer) {
    for (const char* software : {"", "ZB-Server/2.0"}) {
        ScratchDir dir;
        CgiRequest plain;
        if (*software) plain.env["SERVER_SOFTWARE"] = software;
        plain.timeoutSeconds = 20;
        auto server = std::async(std::launch::async, [&] { return RunProgram(dir.Program(), plain); });
        EXPECT_TRUE(WaitFor(30, [&] { return ServerShown(dir); })) << software;
        EXPECT_TRUE(dir.Exists("Temp/tallyhouse.cgi_S")) << software;
        std::filesystem::remove(ServerListOf(dir));
        const CgiResult ended = server.get();
        EXPECT_EQ(ended.exitCode, 0) << "a server whose list is gone ends: " << software;
        EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S.pid")) << software;
    }
}

}  // namespace
