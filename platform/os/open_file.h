// Every file the program opens is opened here, under one policy: the descriptor is closed on
// exec (no child inherits it), and a link in the last place of the path is not followed unless
// the caller asks (a link put in a folder could lead anywhere).
#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <string>

#include "platform/os/file_descriptor.h"

namespace tallyhouse::platform {

struct TOpenOptions {
    // O_RDONLY, O_WRONLY or O_RDWR, with O_CREAT, O_EXCL, O_TRUNC or O_APPEND where wanted.
    int Access = O_RDONLY;
    // The permissions of a file the open creates.
    mode_t CreationMode = 0;
    bool FollowLinks = false;
    // The open returns at once where it would wait (a FIFO without a peer), and so do later
    // reads and writes.
    bool NonBlocking = false;
};

// The file opened; raises EFileError "Cannot open file <path>: <reason>" when it cannot be.
TFileDescriptor OpenFile(const std::string& path, const TOpenOptions& options);
// The same for callers to whom a missing or taken name is an answer: a closed descriptor, with
// errno set, when the file cannot be opened.
TFileDescriptor TryOpenFile(const std::string& path, const TOpenOptions& options);

}  // namespace tallyhouse::platform
