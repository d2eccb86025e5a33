// The live server's mark, standing in for a window titled with the program's file name and
// "_S": locks on a file of that name that vanish with the process.
#pragma once

#include <string>

#include "platform/os/file_descriptor.h"

namespace tallyhouse::engine {

class TServerMark {
public:
    TServerMark() = default;
    TServerMark(const TServerMark&) = delete;
    TServerMark& operator=(const TServerMark&) = delete;

    // Makes this process the one server of its folder; false when another live server is.
    bool ClaimServer(const std::string& path);
    // Shows the mark that request processes look for (the server has announced itself).
    bool ShowWindow();

    // True when a live process other than this open file shows the mark at Path.
    static bool WindowExists(const std::string& path);

private:
    platform::TFileDescriptor fd_;
    std::string path_;
};

}  // namespace tallyhouse::engine
