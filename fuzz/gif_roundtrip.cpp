// Writes small random bitmaps as GIF and checks that giflib decodes every pixel back exactly, or
// that a bitmap of more than 256 colours is refused with nothing written.
#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "image/gif/gif_writer.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
    std::uint8_t Next() { return position < size ? data[position++] : 0; }
};

struct MemoryReader {
    const std::string* bytes;
    std::size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(length), reader->bytes->size() - reader->position);
    std::memcpy(buffer, reader->bytes->data() + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

// The bitmap: size, colour count and interlace from the first bytes, pixels from the rest.
// Colour numbers above 255 take two bytes, so pictures of more than 256 colours occur.
TBitmap MakeBitmap(Input& in, bool& interlace) {
    const int width = 1 + in.Next() % 40, height = 1 + in.Next() % 40;
    const std::uint8_t flags = in.Next();
    interlace = flags & 1;
    const bool wide = flags & 2;
    TBitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int number = wide ? (in.Next() << 1 | (in.Next() & 1)) : in.Next();
            bitmap.SetPixel(x, y, RGB(number & 0xFF, number >> 8, (number * 7) & 0xFF));
        }
    return bitmap;
}

std::size_t DistinctColors(const TBitmap& bitmap) {
    std::set<TColor> colors;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) colors.insert(bitmap.GetPixel(x, y));
    return colors.size();
}

void CheckDecodes(const std::string& bytes, const TBitmap& bitmap) {
    MemoryReader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != 1) std::abort();
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (!map || image.ImageDesc.Width != bitmap.Width() || image.ImageDesc.Height != bitmap.Height()) std::abort();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const int index = image.RasterBits[y * bitmap.Width() + x];
            if (index >= map->ColorCount) std::abort();
            const GifColorType& c = map->Colors[index];
            if (RGB(c.Red, c.Green, c.Blue) != bitmap.GetPixel(x, y)) std::abort();
        }
    DGifCloseFile(gif, &error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    bool interlace = false;
    const TBitmap bitmap = MakeBitmap(in, interlace);
    GifFrame frame;
    frame.bitmap = &bitmap;
    frame.interlace = interlace;
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    list.oneColorTable = true;
    TMemorySink sink;
    const TGifResult result = WriteGif(list, sink);
    if (DistinctColors(bitmap) > 256) {
        if (result != TGifResult::TooManyColors || !sink.Bytes().empty()) std::abort();
        return 0;
    }
    if (result != TGifResult::Written) std::abort();
    CheckDecodes(sink.Bytes(), bitmap);
    return 0;
}
