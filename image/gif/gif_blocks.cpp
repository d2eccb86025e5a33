// The fixed-layout blocks of a GIF89a file: header, descriptors, extensions, trailer.
#include "image/gif/gif_blocks.h"

#include <algorithm>
#include <vector>

#include "image/gif/gif_lzw.h"

namespace tallyhouse::image {

namespace {

constexpr std::uint8_t ExtensionIntroducer = 0x21;
constexpr std::uint8_t ImageSeparator = 0x2C;
constexpr std::uint8_t Trailer = 0x3B;
constexpr std::uint8_t ColorTableFlag = 0x80;
constexpr std::uint8_t InterlaceFlag = 0x40;

void PutWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Send(TByteSink& sink, const std::vector<std::uint8_t>& bytes) { sink.Write(bytes.data(), bytes.size()); }

std::uint8_t TableFlags(const TGifPalette* table) {
    return table ? static_cast<std::uint8_t>(ColorTableFlag | (table->Bits() - 1)) : 0;
}

}  // namespace

void WriteGifHeader(TByteSink& sink) { Send(sink, {'G', 'I', 'F', '8', '9', 'a'}); }

void WriteGifScreenDescriptor(TByteSink& sink, int width, int height, const TGifPalette* globalTable) {
    std::vector<std::uint8_t> block;
    PutWord(block, width);
    PutWord(block, height);
    block.push_back(TableFlags(globalTable));
    block.push_back(0);  // background colour index
    block.push_back(0);  // pixel aspect ratio
    Send(sink, block);
}

void WriteGifColorTable(TByteSink& sink, const TGifPalette& palette) { Send(sink, palette.TableBytes()); }

void WriteGifLoopExtension(TByteSink& sink, std::uint16_t loopCount) {
    std::vector<std::uint8_t> block = {ExtensionIntroducer, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                       3, 1};
    PutWord(block, loopCount);
    block.push_back(0);
    Send(sink, block);
}

void WriteGifComment(TByteSink& sink, const std::string& text) {
    Send(sink, {ExtensionIntroducer, 0xFE});
    TGifSubBlocker blocks(sink);
    blocks.Put(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    blocks.Finish();
}

void WriteGifGraphicControl(TByteSink& sink, int disposal, int delayMs, int transparentIndex) {
    std::uint8_t flags = disposal >= 1 && disposal <= 3 ? static_cast<std::uint8_t>(disposal << 2) : 0;
    if (transparentIndex >= 0) flags |= 1;
    std::vector<std::uint8_t> block = {ExtensionIntroducer, 0xF9, 4, flags};
    PutWord(block, std::clamp(delayMs / 10, 0, 0xFFFF));
    block.push_back(static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
    block.push_back(0);
    Send(sink, block);
}

void WriteGifImageDescriptor(TByteSink& sink, const GifImagePlacement& placement, const TGifPalette* localTable) {
    std::vector<std::uint8_t> block = {ImageSeparator};
    PutWord(block, placement.left);
    PutWord(block, placement.top);
    PutWord(block, placement.width);
    PutWord(block, placement.height);
    std::uint8_t flags = TableFlags(localTable);
    if (placement.interlace) flags |= InterlaceFlag;
    block.push_back(flags);
    Send(sink, block);
}

void WriteGifTrailer(TByteSink& sink) { Send(sink, {Trailer}); }

}  // namespace tallyhouse::image
