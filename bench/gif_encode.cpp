// Encoding speed of the GIF writer against giflib on the same pictures: a chart-like 400 x 250
// bitmap of a few flat colours and a 1600 x 1200 bitmap of 256 colours of noise. giflib gets the
// colour indexes ready-made and only compresses and writes; our figure includes colour mapping.
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "image/gif/gif_palette.h"
#include "image/gif/gif_writer.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

namespace {

TBitmap ChartLikeBitmap() {
    TBitmap bitmap(400, 250, RGB(0xC0, 0xC0, 0xC0));
    for (int y = 20; y < 210; ++y)
        for (int x = 40; x < 380; ++x) bitmap.SetPixel(x, y, clWhite);
    for (int y = 20; y < 210; y += 19)
        for (int x = 40; x < 380; ++x) bitmap.SetPixel(x, y, clGray);
    const TColor bars[] = {clRed, clGreen, clYellow, clBlue, clFuchsia, clTeal};
    for (int bar = 0; bar < 6; ++bar) {
        const int left = 52 + bar * 55, top = 40 + bar * 23;
        for (int y = top; y < 210; ++y)
            for (int x = left; x < left + 38; ++x) bitmap.SetPixel(x, y, bars[bar]);
    }
    std::uint32_t seed = 1;
    for (int y = 215; y < 245; ++y)
        for (int x = 40; x < 380; ++x) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 16) % 5 == 0) bitmap.SetPixel(x, y, clBlack);  // label text
        }
    return bitmap;
}

TBitmap NoiseBitmap() {
    TBitmap bitmap(1600, 1200);
    std::uint32_t seed = 7;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const unsigned n = (seed >> 16) & 0xFF;
            bitmap.SetPixel(x, y, RGB(n, 255 - n, (n * 37) & 0xFF));
        }
    return bitmap;
}

// Both sinks start with room for the whole file, so that growing them is not timed.
std::size_t ExpectedSize(int width, int height) { return static_cast<std::size_t>(width) * height * 3 / 2 + 4096; }

std::size_t OursOnce(const TBitmap& bitmap) {
    GifFrame frame;
    frame.bitmap = &bitmap;
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    list.oneColorTable = true;
    TMemorySink sink;
    sink.Reserve(ExpectedSize(bitmap.Width(), bitmap.Height()));
    if (WriteGif(list, sink) != TGifResult::Written) std::fprintf(stderr, "refused\n");
    return sink.Bytes().size();
}

int AppendToString(GifFileType* gif, const GifByteType* data, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
    return count;
}

struct Indexed {
    int width = 0, height = 0;
    std::vector<GifPixelType> indexes;
    std::vector<GifColorType> colors;
    int bits = 1;
};

Indexed IndexBitmap(const TBitmap& bitmap) {
    Indexed out{bitmap.Width(), bitmap.Height(), {}, {}, 1};
    TGifPalette palette;
    TGifIndexes indexes;
    MapGifFrame(bitmap, false, palette, indexes);
    out.indexes.assign(indexes.begin(), indexes.end());
    out.bits = palette.Bits();
    out.colors.resize(std::size_t{1} << out.bits);
    for (int i = 0; i < palette.Count(); ++i) {
        const std::uint32_t c = palette.Color(i);
        out.colors[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(c), static_cast<GifByteType>(c >> 8),
                                                   static_cast<GifByteType>(c >> 16)};
    }
    return out;
}

std::size_t GiflibOnce(const Indexed& image) {
    std::string bytes;
    bytes.reserve(ExpectedSize(image.width, image.height));
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, AppendToString, &error);
    ColorMapObject* map = GifMakeMapObject(1 << image.bits, image.colors.data());
    EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr);
    for (int y = 0; y < image.height; ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(image.indexes.data()) + static_cast<std::size_t>(y) * image.width,
                    image.width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes.size();
}

// CPU time of this thread: the machine may be busy with other work.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Best time of several rounds, the two encoders taking turns so that both see the same load.
void Compare(const char* name, const TBitmap& bitmap, int repeats) {
    const Indexed indexed = IndexBitmap(bitmap);
    double best[2] = {1e30, 1e30};
    std::size_t sizes[2] = {0, 0};
    const std::function<std::size_t()> encoders[2] = {[&] { return OursOnce(bitmap); },
                                                      [&] { return GiflibOnce(indexed); }};
    for (int round = 0; round < 15; ++round)
        for (int e = 0; e < 2; ++e) {
            const double start = ThreadSeconds();
            for (int i = 0; i < repeats; ++i) sizes[e] = encoders[e]();
            best[e] = std::min(best[e], (ThreadSeconds() - start) / repeats);
        }
    const double megapixels = bitmap.Width() * static_cast<double>(bitmap.Height()) / 1e6;
    std::printf("%-28s ours %7.1f Mpx/s (%zu bytes)  giflib %7.1f Mpx/s (%zu bytes)  ratio %.2f\n", name,
                megapixels / best[0], sizes[0], megapixels / best[1], sizes[1], best[1] / best[0]);
}

}  // namespace

int main() {
    Compare("chart 400x250, few colours", ChartLikeBitmap(), 20);
    Compare("noise 1600x1200, 256 colours", NoiseBitmap(), 2);
    return 0;
}
