#include "platform/system_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/exception.h"

namespace {

constexpr size_t FlushThreshold = 65536;

void WriteAll(int fd, const char* data, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, data, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        data += n;
        count -= static_cast<size_t>(n);
    }
}

}  // namespace

std::unique_ptr<TFileStream> TFileStream::StandardInput() { return std::make_unique<TFileStream>(0, false); }

std::unique_ptr<TFileStream> TFileStream::StandardOutput() { return std::make_unique<TFileStream>(1, false); }

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, int flags, int mode) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0) throw EFileError("Cannot open file " + path + ": " + std::strerror(errno));
    return std::make_unique<TFileStream>(fd, true);
}

std::unique_ptr<TFileStream> TFileStream::OpenRegular(const std::string& path, int flags, int mode) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    struct stat info {};
    if (fd < 0) {
        const int error = errno;
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            throw EFileError("Cannot open file " + path + ": not a regular file");
        throw EFileError("Cannot open file " + path + ": " + std::strerror(error));
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EFileError("Cannot open file " + path + ": not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<TFileStream>(fd, true);
}

TFileStream::TFileStream(int fd, bool owned) : fd_(fd), owned_(owned) {}

TFileStream::~TFileStream() {
    Flush();
    if (owned_) ::close(fd_);
}

int TFileStream::Read(void* buffer, int count) {
    Flush();
    char* at = static_cast<char*>(buffer);
    int done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, at + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<int>(n);
    }
    return done;
}

void TFileStream::Write(const void* data, size_t count) {
    pending_.append(static_cast<const char*>(data), count);
    if (pending_.size() >= FlushThreshold) Flush();
}

void TFileStream::Flush() {
    if (pending_.empty()) return;
    WriteAll(fd_, pending_.data(), pending_.size());
    pending_.clear();
}

bool TryLockFile(int fd, bool exclusive) {
    struct flock lock{};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_SETLK, &lock) == 0;
}

void UnlockFile(int fd) {
    struct flock lock{};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    fcntl(fd, F_SETLK, &lock);
}

int OpenLocked(const std::string& path, int flags, int attempts, int pauseMs, int mode) {
    const bool writing = (flags & O_ACCMODE) != O_RDONLY;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        if (fd < 0) continue;
        if (TryLockFile(fd, writing)) return fd;
        ::close(fd);
    }
    return -1;
}

bool FileExists(const std::string& path) {
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ForceDirectory(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return DirectoryExists(path);
}

bool DeleteFileIfExists(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return true;
    return errno == ENOENT;
}
