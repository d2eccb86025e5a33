// Where encoded bytes go: one write operation shared by memory buffers, files and the HTTP response.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tallyhouse::image {

class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Write(const std::uint8_t* data, std::size_t count) = 0;
};

// Collects everything written, in order.
class TMemorySink : public TByteSink {
public:
    void Write(const std::uint8_t* data, std::size_t count) override;
    const std::string& Bytes() const { return bytes_; }
    void Reserve(std::size_t count) { bytes_.reserve(count); }

private:
    std::string bytes_;
};

// Creates (or truncates) a file and writes to it; failures raise EFileError.
class TFileSink : public TByteSink {
public:
    explicit TFileSink(const std::string& path);
    ~TFileSink() override;
    TFileSink(const TFileSink&) = delete;
    TFileSink& operator=(const TFileSink&) = delete;

    void Write(const std::uint8_t* data, std::size_t count) override;
    // Flushes and closes the file; a failure here means the file is incomplete.
    void Close();

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace tallyhouse::image
