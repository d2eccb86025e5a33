// Content-Length insertion and the block-wise copy of the output file.
#include "engine/resident/server_output.h"

#include <sys/stat.h>


#include "engine/resident/cgi_server_files.h"
#include "platform/os/read_up_to.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr std::size_t BlockSize = 1024;

// A read error ends the copy as the end of the file does.
std::size_t ReadBlock(int fd, char* buffer) {
    const ssize_t got = ReadUpTo(fd, buffer, BlockSize);
    return got < 0 ? 0 : static_cast<std::size_t>(got);
}

bool HasContentLength(const std::string& header) {
    return UpperCase(header).find("\r\nCONTENT-LENGTH:") != std::string::npos ||
           StartsWithIgnoringCase(header, "CONTENT-LENGTH:");
}

}  // namespace

std::string WithContentLength(const std::string& head, long long fileSize) {
    const std::size_t blank = head.find("\r\n\r\n");
    if (blank == std::string::npos || HasContentLength(head.substr(0, blank))) return head;
    const long long bodySize = fileSize - static_cast<long long>(blank) - 4;
    return head.substr(0, blank) + "\r\nContent-Length: " + std::to_string(bodySize) + head.substr(blank);
}

void CopyServerOutput(int fd, const TOutputSink& sink) {
    struct stat info {};
    const long long fileSize = fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : 0;
    char buffer[BlockSize];
    std::size_t got = ReadBlock(fd, buffer);
    const std::string head = WithContentLength(std::string(buffer, got), fileSize);
    sink(head.data(), head.size());
    while (got == BlockSize) {
        got = ReadBlock(fd, buffer);
        if (got > 0) sink(buffer, got);
    }
}

}  // namespace tallyhouse::engine
