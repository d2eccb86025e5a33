// The fixed 268-byte record of the CGI server list, one per handed-over request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tallyhouse::engine {

enum TServerRecordState : std::uint8_t {
    srsWaiting = 0,  // written by the request process
    srsTaken = 1,    // taken by the server
    srsDone = 2,     // answered; removed from the list
};

struct TServerRecord {
    static constexpr std::size_t Size = 268;
    static constexpr std::size_t NameSize = 256;

    std::uint8_t State = srsWaiting;
    double TimeStamp = 0;     // local time, days since 30 December 1899
    std::string RequestName;  // upper-cased full path of the request file

    std::string Encode() const;
    // Decodes Size bytes; the name ends at its first zero byte.
    static TServerRecord Decode(const char* bytes);
};

// Every whole record in the bytes of a server list; a torn tail is ignored.
std::vector<TServerRecord> DecodeServerList(const std::string& bytes);
std::string EncodeServerList(const std::vector<TServerRecord>& records);

// The present local time in the record's day count.
double LocalDateTimeNow();

}  // namespace tallyhouse::engine
