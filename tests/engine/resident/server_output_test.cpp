// The copy of the server's output to the client and the live server's mark.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/resident/server_mark.h"
#include "engine/resident/server_output.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::engine;

namespace {

std::string CopyOf(const testsupport::ScratchDir& dir, const std::string& output) {
    dir.Write("out", output);
    const int fd = open((dir.Path() / "out").c_str(), O_RDONLY);
    std::string copied;
    CopyServerOutput(fd, [&](const char* data, std::size_t size) { copied.append(data, size); });
    close(fd);
    return copied;
}

TEST(ServerOutput, AddsTheBodyLengthBeforeTheBlankLine) {
    testsupport::ScratchDir dir;
    const std::string big(5000, 'x');
    struct Case {
        const char* fault;
        std::string output;
        std::string expected;
    } cases[] = {
        {"length of a short body", "content-type: text/html\r\n\r\n0123456789",
         "content-type: text/html\r\nContent-Length: 10\r\n\r\n0123456789"},
        {"body beyond the first block", "content-type: image/gif\r\n\r\n" + big,
         "content-type: image/gif\r\nContent-Length: 5000\r\n\r\n" + big},
        {"empty body", "content-type: text/html\r\n\r\n", "content-type: text/html\r\nContent-Length: 0\r\n\r\n"},
        {"header longer than a block", std::string(1100, 'h') + "\r\n\r\nbody", std::string(1100, 'h') + "\r\n\r\nbody"},
        {"length given twice", "Content-Length: 4\r\n\r\nbody", "Content-Length: 4\r\n\r\nbody"},
        {"empty output", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CopyOf(dir, c.output), c.expected) << c.fault;
}

TEST(ServerMark, IsSeenOnlyWhileTheServerShowsIt) {
    testsupport::ScratchDir dir;
    const std::string path = (dir.Path() / "app_S.pid").string();
    EXPECT_FALSE(TServerMark::WindowExists(path));
    {
        TServerMark server;
        ASSERT_TRUE(server.ClaimServer(path));
        EXPECT_FALSE(TServerMark::WindowExists(path)) << "seen before the server announced itself";
        TServerMark second;
        EXPECT_FALSE(second.ClaimServer(path)) << "two servers for one folder";
        ASSERT_TRUE(server.ShowWindow());
        EXPECT_TRUE(TServerMark::WindowExists(path));
        EXPECT_EQ(std::stoi(dir.Read("app_S.pid")), getpid());
    }
    EXPECT_FALSE(TServerMark::WindowExists(path)) << "still seen after the server ended";
}

}  // namespace
