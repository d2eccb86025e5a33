// Writes one or more 24-bit bitmaps as a GIF89a file, keeping their exact colours.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "image/gif/byte_sink.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/color.h"

namespace tallyhouse::image {

struct GifFrame {
    const platform::TBitmap* bitmap = nullptr;
    int left = 0;    // position on the logical screen
    int top = 0;
    int width = 0;   // kept for callers; the writer uses the bitmap's own size
    int height = 0;
    int delay = 0;   // milliseconds, written in hundredths of a second
    bool interlace = false;
    bool transparent = false;
    platform::TColor transparentColor = platform::clWhite;
    std::uint8_t disposal = 0;  // 0..3 as the graphic control extension defines them
    std::string comment;        // written before the frame when not empty
};

struct GifImageList {
    static constexpr int MaxFrames = 256;

    int frameCount = 0;
    std::array<const GifFrame*, MaxFrames> frames{};
    std::uint16_t loopCount = 0;  // written in the looping extension when there are several frames
    bool oneColorTable = false;   // all frames share one global colour table
};

// The fixed text of the comment that closes every file.
extern const char* const GifCreditText;

enum class TGifResult {
    Written,         // the whole file
    TooManyColors,   // a frame has more than 256 colours
    NotExpressible,  // the list, or a frame's position or size, cannot be expressed in a GIF
};

// Writes the list as one GIF file. On a failure nothing has been written, except with several
// frames and per-frame colour tables, where the frames before the failing one have been.
TGifResult WriteGif(const GifImageList& list, TByteSink& stream);

}  // namespace tallyhouse::image
