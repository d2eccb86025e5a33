#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/stop_signals.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"
#include "platform/os/system_time.h"

using namespace tallyhouse::platform;

namespace fs = std::filesystem;

TEST(SystemModule, ProgramPathAndSeparators) {
    EXPECT_FALSE(IsLibrary());
    EXPECT_EQ(fs::path(ModuleFileName()).filename(), "platform_tests");
    EXPECT_EQ(ModuleFolder(), fs::path(ModuleFileName()).parent_path().string());
    EXPECT_EQ(CollapseSeparators("/a//b/./c///d/./"), "/a/b/c/d/");
    EXPECT_EQ(ResolveFromModule("x/./y"), ModuleFolder() + "/x/y");
    EXPECT_EQ(ResolveFromModule("/abs//p"), "/abs/p");
    EXPECT_EQ(ResolveFromModule(""), ModuleFolder());
}

TEST(SystemEnvironment, MissingIsEmpty) {
    setenv("TALLYHOUSE_TEST_VAR", "v=1", 1);
    EXPECT_EQ(GetEnv("TALLYHOUSE_TEST_VAR"), "v=1");
    const auto all = EnvironmentStrings();
    EXPECT_NE(std::find(all.begin(), all.end(), "TALLYHOUSE_TEST_VAR=v=1"), all.end());
    unsetenv("TALLYHOUSE_TEST_VAR");
    EXPECT_EQ(GetEnv("TALLYHOUSE_TEST_VAR"), "");
}

TEST(SystemTime, LocalReadingsUnderUtc) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(SecondsSinceMidnight(1678025229), 14 * 3600 + 7 * 60 + 9);
    EXPECT_EQ(SecondsSinceMidnight(65), 65);
    EXPECT_EQ(LongTimeString(1678025229), "14:07:09");
    EXPECT_EQ(DateTimeString(1678025229), ShortDateString(1678025229) + " " + LongTimeString(1678025229));
    EXPECT_EQ(HttpDate(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
    unsetenv("TZ");
    tzset();
}

TEST(SystemFile, StreamsAndHelpers) {
    const fs::path dir = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("stream-" + std::to_string(getpid()));
    EXPECT_TRUE(ForceDirectory((dir / "a/b").string()));
    EXPECT_TRUE(DirectoryExists((dir / "a").string()));
    const std::string file = (dir / "f").string();
    {
        auto out = TFileStream::Open(file, O_WRONLY | O_CREAT | O_TRUNC);
        out->Write("abc", 3);
        out->Write(std::string(100000, 'x').data(), 100000);
    }
    auto in = TFileStream::Open(file, O_RDONLY);
    char buffer[200000];
    EXPECT_EQ(in->Read(buffer, sizeof buffer), 100003) << "a short read only at the end";
    EXPECT_EQ(in->Read(buffer, 10), 0);
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(DeleteFileIfExists(file));
    EXPECT_TRUE(DeleteFileIfExists(file));
    EXPECT_THROW(TFileStream::Open((dir / "none/f").string(), O_RDONLY), std::exception);
    fs::remove_all(dir);
}

TEST(OpenFile, ClosedOnExecAndLinksFollowedOnlyWhenAsked) {
    const fs::path dir = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("open-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "f").string(), link = (dir / "link").string();
    {
        const TFileDescriptor made = OpenFile(file, {.Access = O_WRONLY | O_CREAT | O_EXCL, .CreationMode = 0600});
        EXPECT_NE(fcntl(made.Get(), F_GETFD) & FD_CLOEXEC, 0);
        struct stat info {};
        ASSERT_EQ(fstat(made.Get(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u & ~umask(umask(0)));
    }
    fs::create_symlink(file, link);
    EXPECT_FALSE(TryOpenFile(link, {}).IsOpen());
    EXPECT_EQ(errno, ELOOP);
    EXPECT_TRUE(TryOpenFile(link, {.FollowLinks = true}).IsOpen());
    const TFileDescriptor quick = OpenFile(file, {.NonBlocking = true});
    EXPECT_NE(fcntl(quick.Get(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_THROW(OpenFile((dir / "none").string(), {}), EFileError);
    EXPECT_THROW(OpenFile(file, {.Access = O_WRONLY | O_CREAT | O_EXCL}), EFileError);
    fs::remove_all(dir);
}

TEST(ReadUpTo, ReadsOnOverShortReadsUntilTheDataEnds) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const TFileDescriptor in(ends[0]);
    std::thread writer([out = ends[1]] {
        EXPECT_EQ(write(out, "abc", 3), 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(write(out, "defg", 4), 4);
        close(out);
    });
    char buffer[16] = {};
    EXPECT_EQ(ReadUpTo(in.Get(), buffer, 5), 5) << "the first write alone is not enough";
    EXPECT_EQ(ReadUpTo(in.Get(), buffer + 5, sizeof buffer - 5), 2) << "fewer only where the data ends";
    writer.join();
    EXPECT_EQ(std::string(buffer), "abcdefg");
    EXPECT_EQ(ReadUpTo(-1, buffer, 1), -1);
}

// Each in a child of its own: the handler and the flag belong to the whole process.
TEST(StopSignals, OnlyTheStopSignalsAreCaughtAndRecorded) {
    const sigset_t stops = StopSignalSet();
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CatchStopSignals();
            raise(signal);
            _exit(StopRequested() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const bool stop = signal != SIGUSR2;
        EXPECT_EQ(IsStopSignal(signal), stop) << strsignal(signal);
        EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, stop) << strsignal(signal);
        EXPECT_EQ(sigismember(&stops, signal) == 1, stop) << strsignal(signal);
    }
}
