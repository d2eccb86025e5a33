#include "tests/support/truncation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace {

struct LockLine {
    bool waiting = false;
    pid_t pid = -1;
    std::string file;  // major:minor:inode
};

// "1: OFDLCK ADVISORY  READ -1 fe:00:5423115 0 EOF", a waiter with "->" after the number. Open
// file locks name no process (-1), so the reader is found by the files it has open.
LockLine ParseLockLine(const std::string& text) {
    std::istringstream fields(text);
    LockLine line;
    std::string number, kind, advisory, access;
    fields >> number >> kind;
    if (kind == "->") {
        line.waiting = true;
        fields >> kind;
    }
    fields >> advisory >> access >> line.pid >> line.file;
    return line;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True when /proc/locks holds a granted lock on the file.
bool LockHeld(const std::string& inode) {
    std::ifstream locks("/proc/locks");
    for (std::string text; std::getline(locks, text);) {
        const LockLine line = ParseLockLine(text);
        if (!line.waiting && EndsWith(line.file, ":" + inode)) return true;
    }
    return false;
}

bool Maps(pid_t pid, const std::string& path) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string text; std::getline(maps, text);)
        if (EndsWith(text, path)) return true;
    return false;
}

int OpenCount(pid_t pid, const std::filesystem::path& path) {
    std::error_code error;
    int count = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
        count += std::filesystem::read_symlink(fd.path(), error) == path;
    return count;
}

bool HasOpen(pid_t pid, const std::filesystem::path& path) { return OpenCount(pid, path) > 0; }

// The reader that has opened the file (to wait for its lock): another process, or a thread of
// this one (a library loaded here) beside the watcher's own descriptor; -1 while there is none.
pid_t ReaderOf(const std::filesystem::path& path) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::stoi(name);
        if (pid != getpid() && HasOpen(pid, path)) return pid;
    }
    return OpenCount(getpid(), path) > 1 ? getpid() : -1;
}

}  // namespace

void WriteLargePoll(const std::filesystem::path& file, int megabytes) {
    std::string text;
    for (int i = 0; text.size() < static_cast<size_t>(megabytes) << 20; ++i)
        text += "12/08/26 10:00:00,192.168.100.7,answer " + std::to_string(1 + i % 4) + "\r\n";
    std::ofstream(file, std::ios::binary) << text;
}

TruncateWhileRead::TruncateWhileRead(const std::filesystem::path& file) : file_(std::filesystem::absolute(file)) {
    struct stat info {};
    if (stat(file_.c_str(), &info) == 0) inode_ = std::to_string(info.st_ino);
    // An open-file lock: it holds off a reader of this very process too (a loaded library).
    held_ = open(file_.c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (held_ >= 0 && fcntl(held_, F_OFD_SETLK, &lock) == 0) watcher_ = std::thread([this] { Watch(); });
}

TruncateWhileRead::~TruncateWhileRead() { Stop(); }

bool TruncateWhileRead::Stop() {
    // A reader done with the file is still one to cut it after: on a loaded machine the view can
    // end before the watching thread has looked again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (watcher_.joinable() && !finished_ && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop_ = true;
    if (watcher_.joinable()) watcher_.join();
    if (held_ >= 0) close(held_);
    held_ = -1;
    return truncated_;
}

// The reader opened the file before it waited, so from the moment it holds its lock it is at
// work until it has let go of the file (its reading done, the file closed) and of any mapping.
bool TruncateWhileRead::ReaderAtWork(pid_t reader) const {
    return LockHeld(inode_) || Maps(reader, file_.string()) || !HasOpen(reader, file_);
}

// A reader opens the file before it asks for the lock, which it cannot have while the file is
// held: found then, it cannot be done before it is known.
void TruncateWhileRead::Watch() {
    pid_t reader = -1;
    while (!stop_ && (reader = ReaderOf(file_)) < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    close(held_);
    held_ = -1;
    while (!stop_ && reader > 0) {
        if (!ReaderAtWork(reader)) continue;
        const int fd = open(file_.c_str(), O_WRONLY | O_TRUNC);
        if (fd >= 0) close(fd);
        truncated_ = fd >= 0;
        break;
    }
    finished_ = true;
}

}  // namespace testsupport
