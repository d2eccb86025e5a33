#include "app/poll_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/answer_line.h"
#include "platform/exception.h"

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EFileError(what + " \"" + path + "\": " + std::strerror(errno));
}

// Owns a descriptor; closing it also drops the record lock.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(fd_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Waits for the whole-file lock rather than failing, so no answer is turned away.
void LockWhole(int fd, short type, const std::string& path) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    while (fcntl(fd, F_SETLKW, &lock) != 0) {
        if (errno != EINTR) Fail("Cannot lock file", path);
    }
}

// The size, or -1 when the name is not a regular file (a folder, a device, a pipe).
off_t RegularFileSize(int fd, const std::string& path) {
    struct stat info {};
    if (fstat(fd, &info) != 0) Fail("Cannot read file", path);
    return S_ISREG(info.st_mode) ? info.st_size : -1;
}

bool EndsInsideLine(int fd, off_t size, const std::string& path) {
    if (size == 0) return false;
    char last = 0;
    if (pread(fd, &last, 1, size - 1) != 1) Fail("Cannot read file", path);
    return last != '\r' && last != '\n';
}

void WriteAt(int fd, off_t offset, std::string_view bytes, const std::string& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            const bool cutBack = ftruncate(fd, offset) == 0;
            errno = error;
            Fail(cutBack ? "Cannot write file" : "Cannot write file (a partial line remains)", path);
        }
        done += static_cast<size_t>(n);
    }
}

constexpr int kRefused = -2;

int OpenForAppend(const std::string& path, const std::string& keyPath) {
    const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    if (access(keyPath.c_str(), F_OK) == 0) return kRefused;
    return open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
}

}  // namespace

AppendResult AppendAnswer(const std::string& path, const std::string& keyPath, std::string_view line) {
    const int fd = OpenForAppend(path, keyPath);
    if (fd == kRefused) return AppendResult::Refused;
    if (fd < 0) Fail("Cannot open file", path);
    FileHandle file(fd);
    if (RegularFileSize(fd, path) < 0) {
        errno = EINVAL;
        Fail("Not a poll file", path);
    }
    LockWhole(fd, F_WRLCK, path);
    const off_t size = RegularFileSize(fd, path);
    WriteAt(fd, size, AppendedBytes(EndsInsideLine(fd, size, path), line), path);
    return AppendResult::Appended;
}

bool PollFileExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

PollFileText::~PollFileText() {
    if (size_ > 0) munmap(const_cast<void*>(data_), size_);
}

PollFileText::PollFileText(PollFileText&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.size_ = 0;
}

std::optional<PollFileText> ReadPollFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return std::nullopt;
        Fail("Cannot open file", path);
    }
    FileHandle file(fd);
    if (RegularFileSize(fd, path) < 0) return std::nullopt;
    // The shared lock waits out an append in progress, so the size ends on a whole line;
    // later appends only add bytes beyond the mapped range.
    LockWhole(fd, F_RDLCK, path);
    const size_t size = static_cast<size_t>(RegularFileSize(fd, path));
    if (size == 0) return PollFileText(nullptr, 0);
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data == MAP_FAILED) Fail("Cannot read file", path);
    return PollFileText(data, size);
}
