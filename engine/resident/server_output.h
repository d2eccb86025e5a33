// Passes the server's output file on to the client, telling it the body's length.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace tallyhouse::engine {

using TOutputSink = std::function<void(const char* data, std::size_t size)>;

// When the first 1,024 bytes hold the blank line that ends the header, a "Content-Length"
// line with the size of what follows is added before it, unless the header has one already.
void CopyServerOutput(int fd, const TOutputSink& sink);

// The same over bytes in memory (the header part of the copy).
std::string WithContentLength(const std::string& head, long long fileSize);

}  // namespace tallyhouse::engine
