// A file held under an open-file-description record lock, so that processes and the
// server's threads take turns with the shared files of the CGI server.
#pragma once

#include <optional>
#include <string>

#include "platform/os/file_descriptor.h"

namespace tallyhouse::engine {

class TLockedFile {
public:
    enum class Access { Read, ReadWrite };

    // One attempt: opens an existing file and locks it without waiting. Fails when the file
    // is missing, locked by someone else, or was replaced between the open and the lock.
    static std::optional<TLockedFile> TryOpen(const std::string& path, Access access);
    // Keeps trying for as long as Attempts pauses of PauseMs last.
    static std::optional<TLockedFile> Open(const std::string& path, Access access, int attempts, int pauseMs);


    std::string ReadAll() const;
    void WriteAt(long offset, const std::string& bytes) const;
    // Replaces the whole content while the lock stays held.
    void Rewrite(const std::string& bytes) const;
    // Sets the file date to now.
    void Touch() const;

private:
    explicit TLockedFile(platform::TFileDescriptor fd) : fd_(std::move(fd)) {}
    platform::TFileDescriptor fd_;
};

void SleepMilliseconds(int ms);

}  // namespace tallyhouse::engine
