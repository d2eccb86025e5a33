// The Windows CGI engine through the built program: request files written as a Windows CGI
// server writes them, the response read from the output file they name.
#include <gtest/gtest.h>

#include "engine/cgi_ini_file.h"
#include "tests/support/cgi_runner.h"

using namespace testsupport;

namespace {

CgiResult RunRequestFile(const ScratchDir& dir, const std::string& ini) {
    dir.Write("request.ini", ini);
    CgiRequest request;
    request.args = {(dir.Path() / "request.ini").string()};
    return RunProgram(dir.Program(), request);
}

std::string Request(const std::string& method, const std::string& query, const std::string& form) {
    return "[CGI]\r\nRequest Method=" + method + "\r\nQuery String=" + query +
           "\r\n[System]\r\nOutput File=out.txt\r\n[Form Literal]\r\n" + form;
}

}  // namespace

TEST(CgiIniFile, LinesSectionsAndKeys) {
    const TCGIIniFile ini = TCGIIniFile::FromText(
        "ignored=before any section\r\n  [ cgi ] \r\nRequest Method = POST \r\n=empty key\n[System]\rOutput File=a\r\n"
        "[CGI]\r\nrequest method=GET\r\n" + std::string(5000, 'x') + "=long\r\n");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"CGI", "SYSTEM"})) << "a section seen before continues";
    EXPECT_EQ(ini.ReadString("Cgi", "REQUEST METHOD", "?"), "GET") << "a repeated key replaces its value";
    EXPECT_EQ(ini.ReadString("system", "output file", "?"), "a") << "lone CR and LF end lines too";
    EXPECT_EQ(ini.ReadString("CGI", "", "?"), "?") << "an empty key is ignored";
    EXPECT_EQ(ini.LongLines(), 1) << "an over-long line is dropped whole";
    std::string many;
    for (int i = 0; i < 60; ++i) many += "[S" + std::to_string(i) + "]\r\nk=v\r\n";
    const TCGIIniFile limited = TCGIIniFile::FromText(many);
    EXPECT_EQ(limited.Sections().size(), 51u);
    EXPECT_EQ(limited.ExtraSections(), 9);
}

TEST(CgiWinEngine, PostFieldNamesAreUpperCasedKeysAndAreNotPollFields) {
    ScratchDir dir;
    const CgiResult result = RunRequestFile(dir, Request("POST", "", "question1.pol=yes\r\n"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "") << "the response goes to the output file";
    EXPECT_TRUE(dir.Exists("out.txt"));
    EXPECT_FALSE(dir.Exists("question1.pol")) << "QUESTION1.POL is not a poll field name";
    EXPECT_FALSE(dir.Exists("QUESTION1.POL"));
}

TEST(CgiWinEngine, GetReadsTheQueryStringAndRecords) {
    ScratchDir dir;
    const CgiResult result = RunRequestFile(dir, Request("GET", "command=add&question1.pol=yes&backurl=http://x/", ""));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(dir.Exists("question1.pol"));
    EXPECT_NE(dir.Read("out.txt").find("http://x/"), std::string::npos) << dir.Read("out.txt");
}

TEST(CgiWinEngine, HelpPageGoesToTheOutputFileWithoutStatusLine) {
    ScratchDir dir;
    RunRequestFile(dir, Request("GET", "", ""));
    const std::string out = dir.Read("out.txt");
    EXPECT_EQ(out.rfind("content-type:text/html\r\n\r\n", 0), 0u) << out.substr(0, 80);
    EXPECT_NE(out.find("Version"), std::string::npos);
}

TEST(CgiWinEngine, ContinuationKeysJoinWithCrLf) {
    ScratchDir dir;
    RunRequestFile(dir, Request("POST", "", "command=add\r\nbackurl=first\r\nbackurl_1=second\r\n"));
    EXPECT_NE(dir.Read("out.txt").find("first\r\nsecond"), std::string::npos) << dir.Read("out.txt");
}

TEST(CgiWinEngine, BadRequestFilesGiveNoOutputAndALogLine) {
    ScratchDir dir;
    EXPECT_EQ(RunRequestFile(dir, "[CGI]\r\nRequest Method=GET\r\n").exitCode, 0) << "no output file named";
    EXPECT_EQ(RunRequestFile(dir, "[CGI]\r\nRequest Method=POST\r\n[System]\r\nOutput File=o.txt\r\n"
                                  "[Form External]\r\ncommand=missing.txt 3\r\n").exitCode, 0);
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("missing.txt"), std::string::npos);
    dir.Write("short.txt", "ad");
    RunRequestFile(dir, "[CGI]\r\nRequest Method=POST\r\n[System]\r\nOutput File=o.txt\r\n"
                        "[Form External]\r\ncommand=short.txt 3\r\n");
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("holds fewer than 3 bytes"), std::string::npos);
}
