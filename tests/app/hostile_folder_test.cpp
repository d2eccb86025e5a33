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

}  // namespace
