#include "engine/fastcgi/fastcgi_records.h"

#include <algorithm>

namespace tallyhouse::engine {

namespace FastCgi {

namespace {

std::uint8_t Byte(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

std::uint16_t TwoBytes(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(Byte(bytes, at) << 8 | Byte(bytes, at + 1));
}

// A length of one byte (below 128) or four (the top bit set and cleared again).
std::optional<std::size_t> ReadLength(std::string_view bytes, std::size_t& at) {
    if (at >= bytes.size()) return std::nullopt;
    if (Byte(bytes, at) < 0x80) return Byte(bytes, at++);
    if (bytes.size() - at < 4) return std::nullopt;
    const std::size_t length = (std::size_t{Byte(bytes, at)} & 0x7F) << 24 | std::size_t{Byte(bytes, at + 1)} << 16 |
                               std::size_t{Byte(bytes, at + 2)} << 8 | Byte(bytes, at + 3);
    at += 4;
    return length;
}

void WriteLength(std::string& out, std::size_t length) {
    if (length < 0x80) {
        out += static_cast<char>(length);
        return;
    }
    out += static_cast<char>(0x80 | (length >> 24 & 0x7F));
    out += static_cast<char>(length >> 16 & 0xFF);
    out += static_cast<char>(length >> 8 & 0xFF);
    out += static_cast<char>(length & 0xFF);
}

}  // namespace

THeader ReadHeader(std::string_view bytes) {
    return THeader{Byte(bytes, 0), Byte(bytes, 1), TwoBytes(bytes, 2), TwoBytes(bytes, 4), Byte(bytes, 6)};
}

std::optional<TPairs> ReadPairs(std::string_view bytes) {
    TPairs pairs;
    // A web server's parameter takes some 30 bytes or more: the vector grows once or not at all.
    pairs.reserve(bytes.size() / 32 + 1);
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::optional<std::size_t> nameLength = ReadLength(bytes, at);
        const std::optional<std::size_t> valueLength = nameLength ? ReadLength(bytes, at) : std::nullopt;
        if (!valueLength || *nameLength > bytes.size() - at || *valueLength > bytes.size() - at - *nameLength)
            return std::nullopt;
        pairs.emplace_back(bytes.substr(at, *nameLength), bytes.substr(at + *nameLength, *valueLength));
        at += *nameLength + *valueLength;
    }
    return pairs;
}

std::string WritePairs(const TPairs& pairs) {
    std::string out;
    for (const auto& [name, value] : pairs) {
        WriteLength(out, name.size());
        WriteLength(out, value.size());
        out += name;
        out += value;
    }
    return out;
}

void AppendRecord(std::string& out, std::uint8_t type, std::uint16_t requestId, std::string_view content) {
    const char header[HeaderSize] = {static_cast<char>(Version),          static_cast<char>(type),
                                     static_cast<char>(requestId >> 8),   static_cast<char>(requestId & 0xFF),
                                     static_cast<char>(content.size() >> 8), static_cast<char>(content.size() & 0xFF),
                                     0,                                   0};
    out.append(header, HeaderSize);
    out += content;
}

std::string Record(std::uint8_t type, std::uint16_t requestId, std::string_view content) {
    std::string record;
    AppendRecord(record, type, requestId, content);
    return record;
}

void AppendStream(std::string& out, std::uint8_t type, std::uint16_t requestId, std::string_view bytes) {
    if (bytes.empty()) {
        AppendRecord(out, type, requestId, {});
        return;
    }
    for (std::size_t at = 0; at < bytes.size(); at += MaxContent)
        AppendRecord(out, type, requestId, bytes.substr(at, std::min(MaxContent, bytes.size() - at)));
}

std::string EndRequestRecord(std::uint16_t requestId, std::uint8_t status) {
    // The application's exit status (always 0: a failed request has answered what it could),
    // then the protocol status.
    return Record(EndRequest, requestId, std::string{0, 0, 0, 0, static_cast<char>(status), 0, 0, 0});
}

std::string UnknownTypeRecord(std::uint8_t type) {
    return Record(UnknownType, 0, std::string{static_cast<char>(type), 0, 0, 0, 0, 0, 0, 0});
}

}  // namespace FastCgi

}  // namespace tallyhouse::engine
