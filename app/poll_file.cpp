#include "app/poll_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "app/answer_line.h"
#include "platform/os/exception.h"
#include "platform/os/file_descriptor.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/record_lock.h"
#include "platform/os/write_all.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw EFileError(what + " \"" + path + "\": " + std::strerror(errno));
}

// Waits for the whole-file lock, so answers sent at the same moment all get in, but only so
// long: a lock held for longer (a stuck process) fails the request instead of every worker
// that comes to the poll. Closing the descriptor drops the lock.
void LockWhole(int fd, TLockKind kind, const std::string& path) {
    const TLockWait wait = WaitLockRecord(fd, kind, PollLockWait);
    if (wait == TLockWait::TimedOut)
        throw EPollBusy("Poll file busy: \"" + path + "\" stayed locked for " +
                        std::to_string(std::chrono::duration_cast<std::chrono::seconds>(PollLockWait).count()) + " seconds");
    if (wait == TLockWait::Failed) Fail("Cannot lock file", path);
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
    if (ReadUpToAt(fd, &last, 1, size - 1) != 1) Fail("Cannot read file", path);
    return last != '\r' && last != '\n';
}

// A line that cannot be written whole is cut off again, so the file keeps only whole lines.
void WriteAt(int fd, off_t offset, std::string_view bytes, const std::string& path) {
    if (WriteAllAt(fd, bytes.data(), bytes.size(), offset)) return;
    const int error = errno;
    const bool cutBack = ftruncate(fd, offset) == 0;
    errno = error;
    Fail(cutBack ? "Cannot write file" : "Cannot write file (a partial line remains)", path);
}

// Fewer bytes than asked only when the file was cut short meanwhile.
size_t ReadPieceAt(int fd, char* data, size_t size, off_t offset, const std::string& path) {
    const ssize_t got = ReadUpToAt(fd, data, size, offset);
    if (got < 0) Fail("Cannot read file", path);
    return static_cast<size_t>(got);
}

// No descriptor when the poll was closed by removing its file (its key file stays).
std::optional<TFileDescriptor> OpenForAppend(const std::string& path, const std::string& keyPath) {
    // A link in the folder is never followed: it could lead anywhere.
    TFileDescriptor file = TryOpenFile(path, {.Access = O_RDWR, .NonBlocking = true});
    if (file.IsOpen() || errno != ENOENT) return file;
    if (access(keyPath.c_str(), F_OK) == 0) return std::nullopt;
    // Owner and group only: another user can neither read the answerers' addresses nor lock
    // the file.
    return TryOpenFile(path, {.Access = O_RDWR | O_CREAT, .CreationMode = 0640, .NonBlocking = true});
}

}  // namespace

AppendResult AppendAnswer(const std::string& path, const std::string& keyPath, std::string_view lines,
                          const TAppendGuard& guard) {
    const std::optional<TFileDescriptor> file = OpenForAppend(path, keyPath);
    if (!file) return AppendResult::Refused;
    const int fd = file->Get();
    if (fd < 0) Fail("Cannot open file", path);
    if (RegularFileSize(fd, path) < 0) {
        errno = EINVAL;
        Fail("Not a poll file", path);
    }
    LockWhole(fd, TLockKind::Exclusive, path);
    if (guard.May && !guard.May()) return AppendResult::Withheld;
    const off_t size = RegularFileSize(fd, path);
    WriteAt(fd, size, AppendedBytes(EndsInsideLine(fd, size, path), lines), path);
    if (guard.Written) guard.Written();
    return AppendResult::Appended;
}

bool PollFileExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool IsPlainFile(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsClosedPollFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return (info.st_mode & 0222) == 0 || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

bool ReadPollFile(const std::string& path, const std::function<void(std::string_view)>& onPiece) {
    const TFileDescriptor file = TryOpenFile(path, {.Access = O_RDONLY, .NonBlocking = true});
    const int fd = file.Get();
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG || errno == ELOOP) return false;
        Fail("Cannot open file", path);
    }
    if (RegularFileSize(fd, path) < 0) return false;
    LockWhole(fd, TLockKind::Shared, path);
    const off_t size = RegularFileSize(fd, path);
    UnlockRecord(fd);
    // Pieces that stay in the cache between the copy and the counting: larger ones cost more
    // than their fewer reads save.
    constexpr size_t kPiece = 64 * 1024;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kPiece);
    for (off_t done = 0; done < size;) {
        const size_t want = static_cast<size_t>(std::min<off_t>(size - done, kPiece));
        const size_t got = ReadPieceAt(fd, buffer.get(), want, done, path);
        if (got > 0) onPiece(std::string_view(buffer.get(), got));
        if (got < want) break;
        done += static_cast<off_t>(got);
    }
    return true;
}

}  // namespace tallyhouse::app
