#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "platform/os/system_environment.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"
#include "platform/os/system_time.h"

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
