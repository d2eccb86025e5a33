#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "engine/resident/locked_file.h"

using namespace tallyhouse::engine;

namespace fs = std::filesystem;

// The shared files of the resident servers: a lock held by another process is waited for as
// long as the attempts last, then given up; it is free once its holder ends.
TEST(LockedFile, OpenWaitsForAnotherProcessThenGivesUp) {
    const fs::path dir = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("lock-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "list").string();
    std::ofstream(file).put('x');
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const auto held = TLockedFile::TryOpen(file, TLockedFile::Access::ReadWrite);
        char c = held ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(1);
        // Holds the lock until the test lets go of it (or ends).
        close(release[1]);
        while (read(release[0], &c, 1) < 0 && errno == EINTR) {
        }
        _exit(0);
    }
    close(release[0]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(TLockedFile::Open(file, TLockedFile::Access::Read, 3, 50)) << "held by the other process";
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100)) << "fewer than 3 tries";
    close(release[1]);
    waitpid(holder, nullptr, 0);
    EXPECT_TRUE(TLockedFile::Open(file, TLockedFile::Access::ReadWrite, 11, 100)) << "free once the holder ends";
    close(ready[0]);
    close(ready[1]);
    fs::remove_all(dir);
}
