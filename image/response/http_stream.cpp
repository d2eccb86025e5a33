#include "image/response/http_stream.h"

#include <algorithm>
#include <climits>

#include "engine/core/http_engine.h"

namespace tallyhouse::image {

using namespace tallyhouse::engine;

void THttpStream::Write(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const std::size_t piece = std::min<std::size_t>(count, INT_MAX);
        HttpWriteBuffer(data, static_cast<int>(piece));
        data += piece;
        count -= piece;
    }
}

}  // namespace tallyhouse::image
