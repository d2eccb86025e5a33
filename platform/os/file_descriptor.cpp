#include "platform/os/file_descriptor.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tallyhouse::platform {

void TFileDescriptor::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool StillNamedBy(int fd, const char* path) {
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path, &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

}  // namespace tallyhouse::platform
