// Encoding of server records: state byte, padding, little-endian double, zero-terminated name.
#include "engine/resident/server_record.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <ctime>

namespace tallyhouse::engine {

namespace {

constexpr std::size_t TimeStampOffset = 4;
constexpr std::size_t NameOffset = 12;
constexpr double UnixEpochDays = 25569.0;  // 1 January 1970 counted from 30 December 1899

void PutDouble(char* out, double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

double GetDouble(const char* in) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return std::bit_cast<double>(bits);
}

}  // namespace

std::string TServerRecord::Encode() const {
    std::string bytes(Size, '\0');
    bytes[0] = static_cast<char>(State);
    PutDouble(&bytes[TimeStampOffset], TimeStamp);
    const std::size_t length = std::min(RequestName.size(), NameSize - 1);
    std::memcpy(&bytes[NameOffset], RequestName.data(), length);
    return bytes;
}

TServerRecord TServerRecord::Decode(const char* bytes) {
    TServerRecord record;
    record.State = static_cast<std::uint8_t>(bytes[0]);
    record.TimeStamp = GetDouble(bytes + TimeStampOffset);
    const char* name = bytes + NameOffset;
    record.RequestName.assign(name, strnlen(name, NameSize));
    return record;
}

std::vector<TServerRecord> DecodeServerList(const std::string& bytes) {
    std::vector<TServerRecord> records;
    for (std::size_t at = 0; at + TServerRecord::Size <= bytes.size(); at += TServerRecord::Size)
        records.push_back(TServerRecord::Decode(bytes.data() + at));
    return records;
}

std::string EncodeServerList(const std::vector<TServerRecord>& records) {
    std::string bytes;
    bytes.reserve(records.size() * TServerRecord::Size);
    for (const TServerRecord& record : records) bytes += record.Encode();
    return bytes;
}

double LocalDateTimeNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double unixSeconds = static_cast<double>(duration_cast<microseconds>(now.time_since_epoch()).count()) / 1e6;
    return UnixEpochDays + (unixSeconds + static_cast<double>(local.tm_gmtoff)) / 86400.0;
}

}  // namespace tallyhouse::engine
