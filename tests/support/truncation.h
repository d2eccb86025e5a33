// An administrator emptying a poll file (": > q.pol") while a view works on it. The file is held
// locked until a reader has opened it to wait for its lock; then, let go, it is cut to nothing as soon as the reader
// holds its own lock on it, has it mapped, or is done with it (the view goes on with what it
// read).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace testsupport {

// Answer lines "12/08/26 10:00:00,192.168.100.7,answer N" with N of 1..4, about Megabytes big.
void WriteLargePoll(const std::filesystem::path& file, int megabytes);

class TruncateWhileRead {
public:
    // Locks the file at once, then watches from a thread of its own.
    explicit TruncateWhileRead(const std::filesystem::path& file);
    ~TruncateWhileRead();
    TruncateWhileRead(const TruncateWhileRead&) = delete;
    TruncateWhileRead& operator=(const TruncateWhileRead&) = delete;

    // Stops watching; true when the file was emptied once a reader had it.
    bool Stop();

private:
    void Watch();
    bool ReaderAtWork(pid_t reader) const;

    std::filesystem::path file_;
    std::string inode_;
    int held_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<bool> truncated_{false};
    std::atomic<bool> finished_{false};  // the watching thread has done what it could
    std::thread watcher_;
};

}  // namespace testsupport
