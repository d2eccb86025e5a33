// Writing and reading request files.
#include "engine/resident/request_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/exception.h"
#include "platform/os/open_file.h"
#include "platform/os/read_up_to.h"
#include "platform/os/write_all.h"
#include "engine/core/random_number.h"

extern char** environ;

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

const std::string LineEnd = "\r\n";
const std::string BlankLine = "\r\n\r\n";

void WriteOrFail(int fd, const char* data, std::size_t size) {
    if (!WriteAll(fd, data, size)) throw EFileError(std::string("Can not write request file: ") + std::strerror(errno));
}

void CopyBody(int fd, int inputFd, long contentLength) {
    char buffer[16384];
    long left = contentLength;
    while (left > 0) {
        const ssize_t got = ReadUpTo(inputFd, buffer, static_cast<std::size_t>(std::min<long>(left, sizeof buffer)));
        if (got <= 0) return;
        WriteOrFail(fd, buffer, static_cast<std::size_t>(got));
        left -= got;
    }
}

}  // namespace

std::vector<std::string> RequestEnvironment() {
    std::vector<std::string> lines;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string line = *entry;
        if (!line.empty() && line.find_first_of("\r\n") == std::string::npos) lines.push_back(line);
    }
    return lines;
}

std::string RequestFileHead(const std::vector<std::string>& environment) {
    std::string head;
    for (const std::string& line : environment) head += line + LineEnd;
    return head + "SERVAL_CGI_DEBUG=true" + BlankLine;
}

std::string CreateRequestFile(const TServerFiles& files, TFileDescriptor& fd) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string path = files.RequestFilePath(NewRequestId());
        fd = TryOpenFile(path, {.Access = O_WRONLY | O_CREAT | O_EXCL, .CreationMode = 0600});
        if (!fd.IsOpen() && errno != EEXIST) break;
        if (!fd.IsOpen()) continue;
        // An output file of the same id may still wait for its earlier request's process.
        if (access(TServerFiles::OutputFilePath(path).c_str(), F_OK) != 0) return path;
        fd.Reset();
        unlink(path.c_str());
    }
    throw EFileError("Can not create request file in " + files.TempFolder() + ": " + std::strerror(errno));
}

void WriteRequestFile(int fd, const std::vector<std::string>& environment, int inputFd, long contentLength) {
    const std::string head = RequestFileHead(environment);
    WriteOrFail(fd, head.data(), head.size());
    CopyBody(fd, inputFd, contentLength);
}

TRequestFileHead ReadRequestFileHead(int fd) {
    std::string text;
    char buffer[8192];
    std::size_t end = std::string::npos;
    while (end == std::string::npos) {
        const ssize_t got = ReadUpToAt(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()));
        if (got <= 0) break;
        const std::size_t searchFrom = text.size() < 3 ? 0 : text.size() - 3;
        text.append(buffer, static_cast<std::size_t>(got));
        end = text.find(BlankLine, searchFrom);
    }
    TRequestFileHead head;
    head.BodyOffset = end == std::string::npos ? text.size() : end + BlankLine.size();
    const std::string block = text.substr(0, end == std::string::npos ? text.size() : end);
    for (std::size_t at = 0; at < block.size();) {
        std::size_t next = block.find(LineEnd, at);
        if (next == std::string::npos) next = block.size();
        head.Environment.push_back(block.substr(at, next - at));
        at = next + LineEnd.size();
    }
    return head;
}

}  // namespace tallyhouse::engine
