#include "platform/os/system_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/write_all.h"

namespace tallyhouse::platform {

namespace {

constexpr size_t FlushThreshold = 65536;

}  // namespace

std::unique_ptr<TFileStream> TFileStream::StandardInput() { return std::make_unique<TFileStream>(0); }

std::unique_ptr<TFileStream> TFileStream::StandardOutput() { return std::make_unique<TFileStream>(1); }

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, int flags, int mode) {
    return std::make_unique<TFileStream>(OpenFile(path, {flags, static_cast<mode_t>(mode), true, false}));
}

std::unique_ptr<TFileStream> TFileStream::OpenRegular(const std::string& path, int flags, int mode) {
    TFileDescriptor file = TryOpenFile(path, {flags, static_cast<mode_t>(mode), true, true});
    struct stat info {};
    if (!file.IsOpen()) {
        const int error = errno;
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            throw EFileError("Cannot open file " + path + ": not a regular file");
        throw EFileError("Cannot open file " + path + ": " + std::strerror(error));
    }
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw EFileError("Cannot open file " + path + ": not a regular file");
    ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<TFileStream>(std::move(file));
}

TFileStream::~TFileStream() { Flush(); }

int TFileStream::Read(void* buffer, int count) {
    Flush();
    return count <= 0 ? 0 : static_cast<int>(ReadUpTo(fd_, buffer, static_cast<size_t>(count)));
}

void TFileStream::Write(const void* data, size_t count) {
    pending_.append(static_cast<const char*>(data), count);
    if (pending_.size() >= FlushThreshold) Flush();
}

void TFileStream::Flush() {
    if (pending_.empty()) return;
    // A reader that has gone away loses what it did not take; the writer carries on.
    WriteAll(fd_, pending_.data(), pending_.size());
    pending_.clear();
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

}  // namespace tallyhouse::platform
