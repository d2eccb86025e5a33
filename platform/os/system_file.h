// Files as the engine uses them: byte streams over descriptors and small file-system helpers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "platform/os/file_descriptor.h"

namespace tallyhouse::platform {

// A byte stream over a file descriptor. Writes are collected and passed on in large pieces;
// Flush (and destruction) hands everything over. Write failures are dropped: the reader is gone.
class TFileStream {
public:
    static std::unique_ptr<TFileStream> StandardInput();
    static std::unique_ptr<TFileStream> StandardOutput();
    // Opens with the given open(2) flags; raises EFileError when that fails.
    static std::unique_ptr<TFileStream> Open(const std::string& path, int flags, int mode = 0644);
    // The same for a file that must be a regular one: the open never waits (as it would on a
    // FIFO without a peer), and a FIFO, device or folder raises EFileError.
    static std::unique_ptr<TFileStream> OpenRegular(const std::string& path, int flags, int mode = 0644);
    // A stream over a descriptor someone else owns (the standard handles).
    explicit TFileStream(int fd) : fd_(fd) {}
    // A stream that owns its descriptor and closes it on destruction.
    explicit TFileStream(TFileDescriptor owned) : owned_(std::move(owned)), fd_(owned_.Get()) {}
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Reads up to count bytes, fewer only at the end of the data; -1 on a read error.
    int Read(void* buffer, int count);
    void Write(const void* data, size_t count);
    void Flush();
    int Handle() const { return fd_; }

private:
    TFileDescriptor owned_;
    int fd_;
    std::string pending_;
};


bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder (and missing parents); true when it exists afterwards.
bool ForceDirectory(const std::string& path);
// Removes a file; true when it is gone afterwards.
bool DeleteFileIfExists(const std::string& path);

}  // namespace tallyhouse::platform
