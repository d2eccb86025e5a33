// Byte 0 of the mark file is locked by the process that is the server, byte 1 once it
// serves; the pid written into it lets a site stop the server.
#include "engine/resident/server_mark.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/os/open_file.h"
#include "platform/os/record_lock.h"
#include "platform/os/write_all.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr TLockRange ServerByte{0, 1};
constexpr TLockRange WindowByte{1, 1};

// The pid only tells a site which process to stop; the locks are what count.
bool WritePid(int fd) {
    const std::string pid = std::to_string(getpid()) + "\n";
    return ftruncate(fd, 0) == 0 && WriteAllAt(fd, pid.data(), pid.size(), 0);
}

}  // namespace

bool TServerMark::ClaimServer(const std::string& path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        TFileDescriptor fd = TryOpenFile(path, {.Access = O_RDWR | O_CREAT, .CreationMode = 0644});
        if (!fd.IsOpen() || !TryLockRecord(fd.Get(), TLockKind::Exclusive, ServerByte)) return false;
        if (StillNamedBy(fd.Get(), path.c_str())) {
            fd_ = std::move(fd);
            path_ = path;
            WritePid(fd_.Get());
            return true;
        }
    }
    return false;
}

bool TServerMark::ShowWindow() { return fd_.IsOpen() && TryLockRecord(fd_.Get(), TLockKind::Exclusive, WindowByte); }

bool TServerMark::WindowExists(const std::string& path) {
    const TFileDescriptor fd = TryOpenFile(path, {.Access = O_RDONLY});
    return fd.IsOpen() && RecordLockedElsewhere(fd.Get(), WindowByte);
}

}  // namespace tallyhouse::engine
