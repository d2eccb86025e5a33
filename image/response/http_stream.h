// An output stream whose writes go straight to the response of the current request.
#pragma once

#include "image/gif/byte_sink.h"

namespace tallyhouse::image {

class THttpStream : public TByteSink {
public:
    // Hands the bytes to the engine's binary output at once.
    void Write(const std::uint8_t* data, std::size_t count) override;
};

}  // namespace tallyhouse::image
