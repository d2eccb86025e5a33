// Record-locked file access with bounded retries.
#include "engine/resident/locked_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/record_lock.h"
#include "platform/os/write_all.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int RetryMilliseconds = 2;

bool LockWhole(int fd, TLockedFile::Access access) {
    return TryLockRecord(fd, access == TLockedFile::Access::Read ? TLockKind::Shared : TLockKind::Exclusive);
}

[[noreturn]] void Fail(const char* what) { throw EFileError(std::string(what) + ": " + std::strerror(errno)); }

}  // namespace

void SleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::optional<TLockedFile> TLockedFile::TryOpen(const std::string& path, Access access) {
    TFileDescriptor fd = TryOpenFile(path, {.Access = access == Access::Read ? O_RDONLY : O_RDWR});
    if (!fd.IsOpen() || !LockWhole(fd.Get(), access) || !StillNamedBy(fd.Get(), path.c_str())) return std::nullopt;
    return TLockedFile(std::move(fd));
}

std::optional<TLockedFile> TLockedFile::Open(const std::string& path, Access access, int attempts, int pauseMs) {
    // The holder usually lets go within a millisecond, so the pause is spent trying again
    // every couple of milliseconds rather than asleep.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(attempts * pauseMs);
    for (;;) {
        if (auto file = TryOpen(path, access)) return file;
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        SleepMilliseconds(RetryMilliseconds);
    }
}

std::string TLockedFile::ReadAll() const {
    std::string bytes;
    char buffer[16384];
    for (off_t at = 0;; at += static_cast<off_t>(sizeof buffer)) {
        const ssize_t got = ReadUpToAt(fd_.Get(), buffer, sizeof buffer, at);
        if (got < 0) Fail("read failed");
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < sizeof buffer) return bytes;
    }
}

void TLockedFile::WriteAt(long offset, const std::string& bytes) const {
    if (!WriteAllAt(fd_.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset))) Fail("write failed");
}

void TLockedFile::Rewrite(const std::string& bytes) const {
    if (ftruncate(fd_.Get(), 0) != 0) Fail("truncate failed");
    WriteAt(0, bytes);
}

void TLockedFile::Touch() const { futimens(fd_.Get(), nullptr); }

}  // namespace tallyhouse::engine
