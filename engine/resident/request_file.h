// The request file that a request process writes for the server: each environment string
// and CR LF, "SERVAL_CGI_DEBUG=true" and CR LF CR LF, then the request body.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/resident/cgi_server_files.h"
#include "platform/os/file_descriptor.h"

namespace tallyhouse::engine {

// The process's environment strings, without any that would break the line layout.
std::vector<std::string> RequestEnvironment();

// The text before the body.
std::string RequestFileHead(const std::vector<std::string>& environment);

// Creates a request file under a request id that no request or output file uses and
// returns its name; Fd holds it open for writing.
std::string CreateRequestFile(const TServerFiles& files, platform::TFileDescriptor& fd);

// Writes the head and then exactly ContentLength bytes read from InputFd (fewer only when
// the input ends first). Raises EFileError when the file cannot be written.
void WriteRequestFile(int fd, const std::vector<std::string>& environment, int inputFd, long contentLength);

struct TRequestFileHead {
    std::vector<std::string> Environment;  // the lines before the blank line
    std::size_t BodyOffset = 0;            // where the body starts
};

TRequestFileHead ReadRequestFileHead(int fd);

}  // namespace tallyhouse::engine
