// Puts a GIF file together: colour mapping of the frames, then the blocks in file order.
#include "image/gif/gif_writer.h"

#include <algorithm>
#include <vector>

#include "image/gif/gif_blocks.h"
#include "image/gif/gif_lzw.h"
#include "image/gif/gif_palette.h"

namespace tallyhouse::image {

const char* const GifCreditText =
    "Tallyhouse GIF writer\r\n"
    "Written by the Tallyhouse developers\r\n"
    "gif@tallyhouse.example\r\n"
    "http://www.tallyhouse.example/";

namespace {

constexpr int MaxWord = 0xFFFF;

struct MappedFrame {
    TGifIndexes indexes;
    int transparentIndex = -1;
};

// Every frame must exist and fit the 16-bit positions and sizes of the file.
bool CanWrite(const GifImageList& list) {
    if (list.frameCount < 1 || list.frameCount > GifImageList::MaxFrames) return false;
    for (int i = 0; i < list.frameCount; ++i) {
        const GifFrame* frame = list.frames[static_cast<std::size_t>(i)];
        if (!frame || !frame->bitmap || frame->left < 0 || frame->top < 0) return false;
        if (frame->bitmap->Width() + frame->left > MaxWord || frame->bitmap->Height() + frame->top > MaxWord) return false;
    }
    return true;
}

const GifFrame& Frame(const GifImageList& list, int i) { return *list.frames[static_cast<std::size_t>(i)]; }

bool MapFrame(const GifFrame& frame, TGifPalette& palette, MappedFrame& mapped) {
    if (!MapGifFrame(*frame.bitmap, frame.interlace, palette, mapped.indexes)) return false;
    mapped.transparentIndex =
        frame.transparent ? GifTransparentIndex(palette, mapped.indexes, frame.transparentColor) : -1;
    return true;
}

// Maps the first frame, and every further one into the same palette when the frames share a table.
// A later frame that overflows the shared palette turns sharing off: every frame then gets its own.
bool MapUpFront(const GifImageList& list, bool& shared, TGifPalette& palette, std::vector<MappedFrame>& mapped) {
    if (!MapFrame(Frame(list, 0), palette, mapped[0])) return false;
    for (int i = 1; shared && i < list.frameCount; ++i) {
        if (!MapFrame(Frame(list, i), palette, mapped[static_cast<std::size_t>(i)])) shared = false;
    }
    return true;
}

void WriteScreen(const GifImageList& list, const TGifPalette* globalTable, TByteSink& stream) {
    int width = 0, height = 0;
    for (int i = 0; i < list.frameCount; ++i) {
        const GifFrame& frame = Frame(list, i);
        width = std::max(width, frame.bitmap->Width() + frame.left);
        height = std::max(height, frame.bitmap->Height() + frame.top);
    }
    WriteGifHeader(stream);
    WriteGifScreenDescriptor(stream, width, height, globalTable);
    if (globalTable) WriteGifColorTable(stream, *globalTable);
    if (list.frameCount > 1) WriteGifLoopExtension(stream, list.loopCount);
}

void WriteFrame(const GifFrame& frame, const MappedFrame& mapped, const TGifPalette& palette, bool localTable,
                TByteSink& stream) {
    if (!frame.comment.empty()) WriteGifComment(stream, frame.comment);
    WriteGifGraphicControl(stream, frame.disposal, frame.delay, mapped.transparentIndex);
    const GifImagePlacement placement{frame.left, frame.top, frame.bitmap->Width(), frame.bitmap->Height(),
                                      frame.interlace};
    WriteGifImageDescriptor(stream, placement, localTable ? &palette : nullptr);
    if (localTable) WriteGifColorTable(stream, palette);
    WriteGifImageData(mapped.indexes.data(), mapped.indexes.size(), palette.Bits(), stream);
}

}  // namespace

TGifResult WriteGif(const GifImageList& list, TByteSink& stream) {
    if (!CanWrite(list)) return TGifResult::NotExpressible;
    bool shared = list.oneColorTable || list.frameCount == 1;
    TGifPalette palette;
    std::vector<MappedFrame> mapped(static_cast<std::size_t>(list.frameCount));
    if (!MapUpFront(list, shared, palette, mapped)) return TGifResult::TooManyColors;

    WriteScreen(list, shared ? &palette : nullptr, stream);
    for (int i = 0; i < list.frameCount; ++i) {
        MappedFrame& frame = mapped[static_cast<std::size_t>(i)];
        if (!shared) {
            palette.Reset();
            if (!MapFrame(Frame(list, i), palette, frame)) return TGifResult::TooManyColors;
        }
        WriteFrame(Frame(list, i), frame, palette, !shared, stream);
        if (!shared) frame.indexes = {};
    }
    WriteGifComment(stream, GifCreditText);
    WriteGifTrailer(stream);
    return TGifResult::Written;
}

}  // namespace tallyhouse::image
