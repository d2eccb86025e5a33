#include "app/store/pg_binary.h"

#include <algorithm>
#include <type_traits>

#include "app/store/store_errors.h"

namespace tallyhouse::app {

namespace {

// "PGCOPY\n\377\r\n\0", the flags (none) and the length of the header extension (none).
constexpr std::string_view kCopySignature{"PGCOPY\n\377\r\n\0", 11};
constexpr std::size_t kCopyHeader = kCopySignature.size() + 8;
constexpr std::int32_t kByteaOid = 17;
constexpr std::int32_t kInt8Oid = 20;

template <typename T>
std::string BigEndian(T value) {
    std::string bytes(sizeof(T), '\0');
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = sizeof(T); i-- > 0; bits = static_cast<decltype(bits)>(bits >> 8))
        bytes[i] = static_cast<char>(bits & 0xFF);
    return bytes;
}

template <typename T>
T FromBigEndian(std::string_view bytes) {
    if (bytes.size() < sizeof(T)) throw EStoreError("The database sent a value too short for its type");
    std::make_unsigned_t<T> bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits = static_cast<decltype(bits)>((bits << 8) | static_cast<unsigned char>(bytes[i]));
    return static_cast<T>(bits);
}

}  // namespace

std::string Int4Bytes(std::int32_t value) { return BigEndian(value); }
std::string Int8Bytes(std::int64_t value) { return BigEndian(value); }
std::int32_t ReadInt4(std::string_view bytes) { return FromBigEndian<std::int32_t>(bytes); }
std::int64_t ReadInt8(std::string_view bytes) { return FromBigEndian<std::int64_t>(bytes); }

namespace {

// Dimensions 1, no nulls, the element type, then the one dimension's size and lower bound; each
// element follows with its length.
std::string ArrayHead(std::int32_t elementType, std::size_t size) {
    return Int4Bytes(1) + Int4Bytes(0) + Int4Bytes(elementType) + Int4Bytes(static_cast<std::int32_t>(size)) +
           Int4Bytes(1);
}

}  // namespace

std::string ByteaArray(const std::vector<std::string_view>& items) {
    std::string array = ArrayHead(kByteaOid, items.size());
    for (const std::string_view item : items) {
        array += Int4Bytes(static_cast<std::int32_t>(item.size()));
        array += item;
    }
    return array;
}

std::string Int8Array(const std::vector<std::int64_t>& items) {
    std::string array = ArrayHead(kInt8Oid, items.size());
    for (const std::int64_t item : items) array += Int4Bytes(8) + Int8Bytes(item);
    return array;
}

TCopyWriter::TCopyWriter() : data_(kCopySignature) { data_ += Int4Bytes(0) + Int4Bytes(0); }

void TCopyWriter::BeginRow(std::int16_t fields) { data_ += BigEndian(fields); }

void TCopyWriter::Field(std::string_view bytes) {
    data_ += Int4Bytes(static_cast<std::int32_t>(bytes.size()));
    data_ += bytes;
}

void TCopyWriter::Null() { data_ += Int4Bytes(-1); }

void TCopyWriter::Int8(std::int64_t value) { Field(Int8Bytes(value)); }

std::string TCopyWriter::Finish() && {
    data_ += BigEndian<std::int16_t>(-1);
    return std::move(data_);
}

namespace {

// The length of the row (or trailer) at the start of the bytes, or none while it is incomplete.
std::optional<std::size_t> RowLength(std::string_view bytes) {
    if (bytes.size() < 2) return std::nullopt;
    const auto fields = FromBigEndian<std::int16_t>(bytes);
    std::size_t at = 2;
    for (std::int16_t k = 0; k < fields; ++k) {
        if (bytes.size() < at + 4) return std::nullopt;
        const std::int32_t length = ReadInt4(bytes.substr(at));
        at += 4 + static_cast<std::size_t>(std::max(length, 0));
        if (bytes.size() < at) return std::nullopt;
    }
    return at;
}

// The fields of a whole row; none for the trailer.
std::optional<TCopyRow> RowFields(std::string_view bytes) {
    const auto fields = FromBigEndian<std::int16_t>(bytes);
    if (fields < 0) return std::nullopt;
    TCopyRow row;
    std::size_t at = 2;
    for (std::int16_t k = 0; k < fields; ++k) {
        const std::int32_t length = ReadInt4(bytes.substr(at));
        at += 4;
        if (length < 0) {
            row.emplace_back();
            continue;
        }
        row.emplace_back(bytes.substr(at, static_cast<std::size_t>(length)));
        at += static_cast<std::size_t>(length);
    }
    return row;
}

}  // namespace

void TCopyReader::Feed(std::string_view piece) {
    pending_ += piece;
    std::string_view rest = pending_;
    if (!headerRead_) {
        if (rest.size() < kCopyHeader) return;
        if (rest.substr(0, kCopySignature.size()) != kCopySignature)
            throw EStoreError("The database's COPY data has no binary header");
        rest.remove_prefix(kCopyHeader);
        headerRead_ = true;
    }
    while (!ended_) {
        const std::optional<std::size_t> length = RowLength(rest);
        if (!length) break;
        if (const std::optional<TCopyRow> row = RowFields(rest.substr(0, *length)))
            onRow_(*row);
        else
            ended_ = true;
        rest.remove_prefix(*length);
    }
    pending_.erase(0, pending_.size() - rest.size());
}

void TCopyReader::Finish() const {
    if (!ended_) throw EStoreError("The database's COPY data ended early");
}

}  // namespace tallyhouse::app
