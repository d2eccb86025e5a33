// What an intruder, or a careless hand, may leave in the program's folder: links in place of
// poll files and a FIFO in place of the log. Answers never go through a link, and the log never
// holds a request up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/cgi_runner.h"

using namespace testsupport;

namespace {

TEST(HostileFolder, AnswersNeverGoThroughALink) {
    struct Case {
        const char* fault;
        const char* link;    // link.pol leads here, inside sub/
        bool targetExists;
    } const cases[] = {
        {"a link to an existing file is written through", "sub/target.pol", true},
        {"a link to nothing creates its target", "sub/created.pol", false},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        std::filesystem::create_directory(dir.Path() / "sub");
        if (c.targetExists) dir.Write(c.link, "old\r\n");
        std::filesystem::create_symlink(c.link, dir.Path() / "link.pol");
        const CgiResult result = RunProgram(dir.Program(), GetRequest("command=add&ok.pol=1&link.pol=x"));
        EXPECT_EQ(result.header.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << c.fault;
        EXPECT_EQ(dir.Exists(c.link), c.targetExists) << c.fault;
        if (c.targetExists) {
            EXPECT_EQ(dir.Read(c.link), "old\r\n") << c.fault;
        }
        EXPECT_FALSE(dir.Exists("ok.pol")) << c.fault << ": nothing of the request is recorded";
        EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("Answers refused: not a plain poll file: link.pol"),
                  std::string::npos)
            << c.fault;
    }
}

TEST(HostileFolder, ALogThatIsAFifoDoesNotHoldTheRequest) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "Log");
    ASSERT_EQ(mkfifo((dir.Path() / "Log" / "tallyhouse.Log").c_str(), 0644), 0);
    CgiRequest request = GetRequest("command=view&width=abc");
    request.timeoutSeconds = 20;  // a safety net: a request held by the FIFO is killed then
    const CgiResult result = RunProgram(dir.Program(), request);
    EXPECT_EQ(result.exitCode, 0) << "killed while waiting for a reader of the FIFO";
    EXPECT_EQ(result.header.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << "answered after the log was left alone";
}

// A visitor could create 20 poll files a request, thousands a second, until the disk or its
// inodes run out: the folder holds at most a bound of polls, existing ones keep their answers.
TEST(HostileFolder, NewPollsStopAtTheFoldersBound) {
    struct Case {
        const char* fault;
        const char* bound;  // TALLYHOUSE_MAX_POLLS, or empty for the default
        int existing;       // poll files in the folder before
        const char* query;
        bool refused;
    } const cases[] = {
        {"a new poll within the bound is created", "3", 2, "command=add&p0.pol=yes&new.pol=yes", false},
        {"a new poll beyond the bound is refused", "3", 3, "command=add&new.pol=yes", true},
        {"a refusal records nothing of the request", "3", 3, "command=add&p0.pol=yes&new.pol=yes", true},
        {"an existing poll takes answers at the bound", "3", 3, "command=add&p0.pol=yes", false},
        {"the default bound is 1000", "", 1000, "command=add&new.pol=yes", true},
        {"other files do not count", "", 999, "command=add&new.pol=yes", false},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        for (int i = 0; i < c.existing; ++i) dir.Write("p" + std::to_string(i) + ".pol", "");
        dir.Write("other.txt", "");
        CgiRequest request = GetRequest(c.query);
        if (*c.bound) request.env["TALLYHOUSE_MAX_POLLS"] = c.bound;
        const CgiResult result = RunProgram(dir.Program(), request);
        EXPECT_EQ(dir.Exists("new.pol"), !c.refused && std::string(c.query).find("new.pol") != std::string::npos)
            << c.fault;
        const std::string log = dir.Exists("Log/tallyhouse.Log") ? dir.Read("Log/tallyhouse.Log") : "";
        if (c.refused) {
            EXPECT_EQ(result.header.rfind("HTTP/1.1 403 Forbidden", 0), 0u) << c.fault << result.header;
            EXPECT_NE(result.body.find("No new poll was created"), std::string::npos) << c.fault;
            EXPECT_EQ(dir.Read("p0.pol"), "") << c.fault;
            EXPECT_NE(log.find("Answers refused: the folder holds its limit of"), std::string::npos) << c.fault;
        } else {
            EXPECT_NE(result.body.find("Data saved correctly"), std::string::npos) << c.fault;
        }
    }
}

TEST(HostileFolder, ABoundThatIsNoNumberIsAnError) {
    ScratchDir dir;
    CgiRequest request = GetRequest("command=add&new.pol=yes");
    request.env["TALLYHOUSE_MAX_POLLS"] = "lots";
    const CgiResult result = RunProgram(dir.Program(), request);
    EXPECT_EQ(result.header.rfind("HTTP/1.1 500 Internal Server Error\r\n", 0), 0u) << result.header;
    EXPECT_FALSE(dir.Exists("new.pol"));
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("TALLYHOUSE_MAX_POLLS='lots' cannot be used"), std::string::npos);
}

}  // namespace
