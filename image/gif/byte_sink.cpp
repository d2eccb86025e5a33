// Memory and file implementations of the byte sink.
#include "image/gif/byte_sink.h"

#include "platform/os/exception.h"

namespace tallyhouse::image {

using namespace tallyhouse::platform;

void TMemorySink::Write(const std::uint8_t* data, std::size_t count) {
    bytes_.append(reinterpret_cast<const char*>(data), count);
}

TFileSink::TFileSink(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) throw EFileError("Cannot create file " + path);
}

TFileSink::~TFileSink() {
    if (file_) std::fclose(file_);
}

void TFileSink::Write(const std::uint8_t* data, std::size_t count) {
    if (!file_) throw EFileError("File already closed: " + path_);
    if (std::fwrite(data, 1, count, file_) != count) throw EFileError("Cannot write file " + path_);
}

void TFileSink::Close() {
    if (!file_) return;
    const int result = std::fclose(file_);
    file_ = nullptr;
    if (result != 0) throw EFileError("Cannot write file " + path_);
}

}  // namespace tallyhouse::image
