#include "platform/os/open_file.h"

#include <cerrno>
#include <cstring>

#include "platform/os/exception.h"

namespace tallyhouse::platform {

TFileDescriptor TryOpenFile(const std::string& path, const TOpenOptions& options) {
    int flags = options.Access | O_CLOEXEC;
    if (!options.FollowLinks) flags |= O_NOFOLLOW;
    if (options.NonBlocking) flags |= O_NONBLOCK;
    return TFileDescriptor(::open(path.c_str(), flags, options.CreationMode));
}

TFileDescriptor OpenFile(const std::string& path, const TOpenOptions& options) {
    TFileDescriptor file = TryOpenFile(path, options);
    if (!file.IsOpen()) throw EFileError("Cannot open file " + path + ": " + std::strerror(errno));
    return file;
}

}  // namespace tallyhouse::platform
