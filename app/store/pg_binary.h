// PostgreSQL's binary formats, as the store sends and reads them: big-endian integers, a
// one-dimensional array of bytea, and the rows of a binary COPY.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyhouse::app {

std::string Int4Bytes(std::int32_t value);
std::string Int8Bytes(std::int64_t value);
// The integer in the first 4 or 8 bytes; EStoreError when there are fewer.
std::int32_t ReadInt4(std::string_view bytes);
std::int64_t ReadInt8(std::string_view bytes);

// Arrays without nulls, as binary parameters of type bytea[] and bigint[].
std::string ByteaArray(const std::vector<std::string_view>& items);
std::string Int8Array(const std::vector<std::int64_t>& items);

// Rows for COPY ... FROM STDIN (FORMAT binary): the header, the rows, the trailer.
class TCopyWriter {
public:
    TCopyWriter();
    void BeginRow(std::int16_t fields);
    void Field(std::string_view bytes);
    void Null();
    void Int8(std::int64_t value);
    // The whole data with its trailer.
    std::string Finish() &&;

private:
    std::string data_;
};

// One row of COPY ... TO STDOUT (FORMAT binary): its fields, none for NULL.
using TCopyRow = std::vector<std::optional<std::string_view>>;

// Reads the data of a binary COPY as it comes, cut anywhere, and hands on each whole row.
class TCopyReader {
public:
    explicit TCopyReader(std::function<void(const TCopyRow&)> onRow) : onRow_(std::move(onRow)) {}
    void Feed(std::string_view piece);
    // EStoreError unless the data ended with the trailer.
    void Finish() const;

private:
    std::function<void(const TCopyRow&)> onRow_;
    std::string pending_;
    bool headerRead_ = false;
    bool ended_ = false;
};

}  // namespace tallyhouse::app
