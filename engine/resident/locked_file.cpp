// Record-locked file access with bounded retries.
#include "engine/resident/locked_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/exception.h"

namespace {

constexpr int RetryMilliseconds = 2;

bool LockWhole(int fd, TLockedFile::Access access) {
    struct flock lock {};
    lock.l_type = access == TLockedFile::Access::Read ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool SameFile(int fd, const std::string& path) {
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

[[noreturn]] void Fail(const char* what) { throw EFileError(std::string(what) + ": " + std::strerror(errno)); }

}  // namespace

void SleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::optional<TLockedFile> TLockedFile::TryOpen(const std::string& path, Access access) {
    const int flags = (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    const int fd = open(path.c_str(), flags);
    if (fd < 0) return std::nullopt;
    if (!LockWhole(fd, access) || !SameFile(fd, path)) {
        close(fd);
        return std::nullopt;
    }
    return TLockedFile(fd);
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

TLockedFile::TLockedFile(TLockedFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

TLockedFile::~TLockedFile() {
    if (fd_ >= 0) close(fd_);
}

std::string TLockedFile::ReadAll() const {
    std::string bytes;
    char buffer[16384];
    for (off_t at = 0;;) {
        const ssize_t got = pread(fd_, buffer, sizeof buffer, at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("read failed");
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
}

void TLockedFile::WriteAt(long offset, const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = pwrite(fd_, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail("write failed");
        done += static_cast<std::size_t>(put);
    }
}

void TLockedFile::Rewrite(const std::string& bytes) const {
    if (ftruncate(fd_, 0) != 0) Fail("truncate failed");
    WriteAt(0, bytes);
}

void TLockedFile::Touch() const { futimens(fd_, nullptr); }
