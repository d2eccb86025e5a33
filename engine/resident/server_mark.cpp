// Byte 0 of the mark file is locked by the process that is the server, byte 1 once it
// serves; the pid written into it lets a site stop the server.
#include "engine/resident/server_mark.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr off_t ServerByte = 0;
constexpr off_t WindowByte = 1;

bool LockByte(int fd, off_t byte) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool StillNamed(int fd, const std::string& path) {
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
           opened.st_dev == named.st_dev;
}

// The pid only tells a site which process to stop; the locks are what count.
bool WritePid(int fd) {
    const std::string pid = std::to_string(getpid()) + "\n";
    return ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
}

}  // namespace

TServerMark::~TServerMark() {
    if (fd_ >= 0) close(fd_);
}

bool TServerMark::ClaimServer(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        if (!LockByte(fd, ServerByte)) {
            close(fd);
            return false;
        }
        if (StillNamed(fd, path)) {
            fd_ = fd;
            path_ = path;
            WritePid(fd_);
            return true;
        }
        close(fd);
    }
    return false;
}

bool TServerMark::ShowWindow() { return fd_ >= 0 && LockByte(fd_, WindowByte); }

bool TServerMark::WindowExists(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = WindowByte;
    probe.l_len = 1;
    const bool held = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held;
}
