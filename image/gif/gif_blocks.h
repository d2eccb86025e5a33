// One function per block of a GIF89a file, each written to the sink as one piece.
#pragma once

#include <cstdint>
#include <string>

#include "image/gif/byte_sink.h"
#include "image/gif/gif_palette.h"

namespace tallyhouse::image {

void WriteGifHeader(TByteSink& sink);
// globalTable is null when the frames carry their own tables.
void WriteGifScreenDescriptor(TByteSink& sink, int width, int height, const TGifPalette* globalTable);
void WriteGifColorTable(TByteSink& sink, const TGifPalette& palette);
void WriteGifLoopExtension(TByteSink& sink, std::uint16_t loopCount);
void WriteGifComment(TByteSink& sink, const std::string& text);
// transparentIndex is -1 when no colour is transparent.
void WriteGifGraphicControl(TByteSink& sink, int disposal, int delayMs, int transparentIndex);

struct GifImagePlacement {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
};
// localTable is null when the global table applies.
void WriteGifImageDescriptor(TByteSink& sink, const GifImagePlacement& placement, const TGifPalette* localTable);
void WriteGifTrailer(TByteSink& sink);

}  // namespace tallyhouse::image
