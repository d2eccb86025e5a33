#include "tests/support/gif_decode.h"

#include <gif_lib.h>

#include <cstring>

namespace testsupport {

namespace {

struct MemoryReader {
    const std::string* bytes;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t left = reader->bytes->size() - reader->position;
    const size_t n = static_cast<size_t>(length) < left ? static_cast<size_t>(length) : left;
    std::memcpy(buffer, reader->bytes->data() + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

void ReadExtensions(const SavedImage& image, DecodedFrame& frame, DecodedGif& result) {
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
        const ExtensionBlock& block = image.ExtensionBlocks[e];
        if (block.Function == GRAPHICS_EXT_FUNC_CODE) {
            GraphicsControlBlock gcb;
            if (DGifExtensionToGCB(static_cast<size_t>(block.ByteCount), block.Bytes, &gcb) == GIF_OK) {
                frame.delayCs = gcb.DelayTime;
                frame.disposal = gcb.DisposalMode;
                frame.transparentIndex = gcb.TransparentColor;
            }
        } else if (block.Function == COMMENT_EXT_FUNC_CODE) {
            result.comments.emplace_back(reinterpret_cast<const char*>(block.Bytes), static_cast<size_t>(block.ByteCount));
        } else if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount >= 11 &&
                   std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
            result.loops = true;
        }
    }
}

}  // namespace

DecodedGif DecodeGif(const std::string& bytes) {
    DecodedGif result;
    MemoryReader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif) {
        result.error = GifErrorString(error);
        return result;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        result.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return result;
    }
    result.width = gif->SWidth;
    result.height = gif->SHeight;
    result.globalColorCount = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int e = 0; e < gif->ExtensionBlockCount; ++e) {
        const ExtensionBlock& block = gif->ExtensionBlocks[e];
        if (block.Function == COMMENT_EXT_FUNC_CODE)
            result.comments.emplace_back(reinterpret_cast<const char*>(block.Bytes), static_cast<size_t>(block.ByteCount));
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        DecodedFrame frame;
        frame.left = image.ImageDesc.Left;
        frame.top = image.ImageDesc.Top;
        frame.width = image.ImageDesc.Width;
        frame.height = image.ImageDesc.Height;
        frame.interlaced = image.ImageDesc.Interlace;
        frame.localColorMap = image.ImageDesc.ColorMap != nullptr;
        ReadExtensions(image, frame, result);
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const size_t count = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
        frame.indexes.assign(image.RasterBits, image.RasterBits + count);
        frame.rgb.reserve(count);
        for (std::uint8_t index : frame.indexes) {
            if (!map || index >= map->ColorCount) {
                frame.rgb.push_back(0xFFFFFFFFu);  // an index outside the table: never a real colour
                continue;
            }
            const GifColorType& c = map->Colors[index];
            frame.rgb.push_back((static_cast<std::uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue);
        }
        result.frames.push_back(std::move(frame));
    }
    DGifCloseFile(gif, &error);
    result.ok = true;
    return result;
}

}  // namespace testsupport
