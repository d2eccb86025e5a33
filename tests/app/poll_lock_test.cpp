// Another process holding a poll file's lock for good (another user could, on a file others may
// read): answers and views wait a bounded time, then end with a page that says so.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>

#include "tests/support/cgi_runner.h"

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

constexpr char kBusy[] = "The poll is busy. Please try again in a moment !";

// A lock of this test process on the poll file, as a process of another user would take it.
class HeldLock {
public:
    HeldLock(const fs::path& poll, short type) : fd_(open(poll.c_str(), type == F_RDLCK ? O_RDONLY : O_RDWR)) {
        struct flock lock {};
        lock.l_type = type;
        locked_ = fd_ >= 0 && fcntl(fd_, F_SETLK, &lock) == 0;
    }
    ~HeldLock() { close(fd_); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    bool Locked() const { return locked_; }

private:
    int fd_;
    bool locked_ = false;
};

CgiResult RunWithin20Seconds(const ScratchDir& dir, CgiRequest request) {
    request.timeoutSeconds = 20;
    return RunProgram(dir.Program(), request);
}

TEST(PollLock, AnAnswerOrViewHeldOffByAnotherProcessEndsWithABusyPage) {
    ScratchDir dir;
    dir.Write("read.pol", "2026-12-08 10:00:00,10.0.0.1,yes\r\n");
    dir.Write("written.pol", "2026-12-08 10:00:00,10.0.0.1,yes\r\n");
    const HeldLock reading(dir.Path() / "read.pol", F_RDLCK);
    const HeldLock writing(dir.Path() / "written.pol", F_WRLCK);
    ASSERT_TRUE(reading.Locked() && writing.Locked());
    auto add = std::async(std::launch::async, [&] { return RunWithin20Seconds(dir, GetRequest("command=add&read.pol=no")); });
    auto view = std::async(std::launch::async, [&] { return RunWithin20Seconds(dir, GetRequest("command=view&filename=written.pol")); });
    for (CgiResult result : {add.get(), view.get()}) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.output.rfind("HTTP/1.1 503 Service Unavailable\r\n", 0), 0u) << result.header;
        EXPECT_NE(result.body.find(kBusy), std::string::npos) << result.body;
    }
    EXPECT_EQ(dir.Read("read.pol"), "2026-12-08 10:00:00,10.0.0.1,yes\r\n");
    const std::string log = dir.Read("Log/tallyhouse.Log");
    for (const char* poll : {"read.pol", "written.pol"})
        EXPECT_NE(log.find(std::string(poll) + "\" stayed locked for 5 seconds"), std::string::npos) << log;
}

TEST(PollLock, NewPollFilesAndTheLogAreForOwnerAndGroupOnly) {
    ScratchDir dir;
    const mode_t before = umask(022);
    RunProgram(dir.Program(), GetRequest("command=add&new.pol=yes"));
    RunProgram(dir.Program(), GetRequest("command=view&height=abc"));
    umask(before);
    const fs::perms ownerAndGroup = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    EXPECT_EQ(fs::status(dir.Path() / "new.pol").permissions(), ownerAndGroup);
    EXPECT_EQ(fs::status(dir.Path() / "Log/tallyhouse.Log").permissions(), ownerAndGroup);
}

}  // namespace
