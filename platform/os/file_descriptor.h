// The one owner of an open file descriptor: closes it when the owner goes, so no path through
// the code can leak it or close it twice.
#pragma once

#include <utility>

namespace tallyhouse::platform {

class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() { Reset(); }
    TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the descriptor held (if any) and takes Fd instead.
    void Reset(int fd = -1);

private:
    int fd_ = -1;
};

// True when Path still names the file open at Fd: it was neither removed nor replaced since.
bool StillNamedBy(int fd, const char* path);

}  // namespace tallyhouse::platform
