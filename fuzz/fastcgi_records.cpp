// Fuzzes the FastCGI request reader with what a peer of the socket may send: the first byte sets
// the size of the pieces the bytes arrive in, the rest are the bytes. Whatever they are, the
// reader keeps to its limits, and a request it reads is read the same in any pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/fastcgi/fastcgi_reader.h"

using namespace tallyhouse::engine;

namespace {

TFastCgiLimits Limits() {
    TFastCgiLimits limits;
    limits.ParamsBytes = 4096;
    limits.BodyBytes = 100;
    return limits;
}

// Reads requests until the bytes end or the connection would be refused: what each request
// held, in order, then the replies and the refusal.
std::string ReadAll(std::string_view bytes, size_t piece) {
    TFastCgiReader reader(Limits());
    std::string requests;
    std::string replies;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        TFastCgiReader::TState state = reader.Feed(bytes.substr(at, piece));
        while (state == TFastCgiReader::TState::Ready) {
            if (reader.Body().size() > Limits().BodyBytes) std::abort();
            const std::string* query = reader.Param("QUERY_STRING");
            requests += std::to_string(reader.RequestId()) + ":" + (query ? *query : "-") + ":" + reader.Body() + "\n";
            state = reader.NextRequest();
        }
        replies += reader.TakeReplies();
        if (state == TFastCgiReader::TState::Refused) return requests + "|" + replies + "|refused:" + reader.Refusal();
    }
    return requests + "|" + replies;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t piece = static_cast<size_t>(data[0]) % 64 + 1;
    if (ReadAll(bytes, piece) != ReadAll(bytes, std::max<size_t>(bytes.size(), 1))) std::abort();
    return 0;
}
