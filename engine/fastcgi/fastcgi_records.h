// The FastCGI wire format: record headers, name-value pairs and the records an application
// sends (its answer stream, the end of a request, answers to management records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallyhouse::engine {

namespace FastCgi {

inline constexpr std::uint8_t Version = 1;
inline constexpr std::size_t HeaderSize = 8;
inline constexpr std::size_t MaxContent = 65535;

enum RecordType : std::uint8_t {
    BeginRequest = 1,
    AbortRequest = 2,
    EndRequest = 3,
    Params = 4,
    Stdin = 5,
    Stdout = 6,
    Stderr = 7,
    Data = 8,
    GetValues = 9,
    GetValuesResult = 10,
    UnknownType = 11,
};

enum ProtocolStatus : std::uint8_t { RequestComplete = 0, CantMultiplex = 1, Overloaded = 2, UnknownRole = 3 };

inline constexpr std::uint16_t ResponderRole = 1;
inline constexpr std::uint8_t KeepConnection = 1;

struct THeader {
    std::uint8_t Version = 0;
    std::uint8_t Type = 0;
    std::uint16_t RequestId = 0;
    std::uint16_t ContentLength = 0;
    std::uint8_t PaddingLength = 0;
};

// The header at the start of bytes, which must hold HeaderSize of them.
THeader ReadHeader(std::string_view bytes);

using TPairs = std::vector<std::pair<std::string, std::string>>;

// The name-value pairs of a PARAMS stream or a GET_VALUES record; none when a length runs past
// the end.
std::optional<TPairs> ReadPairs(std::string_view bytes);
std::string WritePairs(const TPairs& pairs);

// One record of the given type (content of at most MaxContent bytes), without padding.
void AppendRecord(std::string& out, std::uint8_t type, std::uint16_t requestId, std::string_view content);
std::string Record(std::uint8_t type, std::uint16_t requestId, std::string_view content);
// The bytes as records of an output stream (STDOUT), MaxContent at most in each; an empty
// text gives the empty record that ends the stream.
void AppendStream(std::string& out, std::uint8_t type, std::uint16_t requestId, std::string_view bytes);
std::string EndRequestRecord(std::uint16_t requestId, std::uint8_t status);
std::string UnknownTypeRecord(std::uint8_t type);

}  // namespace FastCgi

}  // namespace tallyhouse::engine
