// A file held under an open-file-description record lock, so that processes and the
// server's threads take turns with the shared files of the CGI server.
#pragma once

#include <optional>
#include <string>

class TLockedFile {
public:
    enum class Access { Read, ReadWrite };

    // One attempt: opens an existing file and locks it without waiting. Fails when the file
    // is missing, locked by someone else, or was replaced between the open and the lock.
    static std::optional<TLockedFile> TryOpen(const std::string& path, Access access);
    // Keeps trying for as long as Attempts pauses of PauseMs last.
    static std::optional<TLockedFile> Open(const std::string& path, Access access, int attempts, int pauseMs);

    TLockedFile(TLockedFile&& other) noexcept;
    TLockedFile& operator=(TLockedFile&&) = delete;
    TLockedFile(const TLockedFile&) = delete;
    ~TLockedFile();

    std::string ReadAll() const;
    void WriteAt(long offset, const std::string& bytes) const;
    // Replaces the whole content while the lock stays held.
    void Rewrite(const std::string& bytes) const;
    // Sets the file date to now.
    void Touch() const;

private:
    explicit TLockedFile(int fd) : fd_(fd) {}
    int fd_;
};

void SleepMilliseconds(int ms);
