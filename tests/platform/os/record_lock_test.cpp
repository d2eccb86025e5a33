#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "platform/os/file_descriptor.h"
#include "platform/os/record_lock.h"
#include "platform/os/write_all.h"

using namespace tallyhouse::platform;

namespace fs = std::filesystem;

// Threads of the threaded resident server open the same shared files: their locks must
// exclude each other as those of two processes do, and closing one file must not drop another's.
TEST(RecordLock, TwoOpenFilesOfOneProcessExcludeEachOther) {
    const fs::path dir = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("record-lock-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "list").string();
    TFileDescriptor first(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    TFileDescriptor second(open(path.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_TRUE(first.IsOpen() && second.IsOpen());

    ASSERT_TRUE(TryLockRecord(first.Get(), TLockKind::Exclusive));
    EXPECT_FALSE(TryLockRecord(second.Get(), TLockKind::Shared)) << "same process, other open file";
    EXPECT_TRUE(RecordLockedElsewhere(second.Get()));
    EXPECT_FALSE(TryLockRecord(second.Get(), TLockKind::Exclusive, {5, 1})) << "a range inside the whole";
    EXPECT_EQ(WaitLockRecord(second.Get(), TLockKind::Shared, std::chrono::milliseconds(50)), TLockWait::TimedOut)
        << "a lock held on is waited for a bounded time";

    {
        TFileDescriptor third(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    }
    EXPECT_FALSE(TryLockRecord(second.Get(), TLockKind::Exclusive)) << "closing a third file dropped the lock";

    first.Reset();
    EXPECT_EQ(WaitLockRecord(second.Get(), TLockKind::Exclusive, std::chrono::seconds(5)), TLockWait::Locked) << "free once its file is closed";
    EXPECT_TRUE(WriteAllAt(second.Get(), "abc", 3, 10));
    EXPECT_EQ(fs::file_size(path), 13u);
    fs::remove_all(dir);
}
