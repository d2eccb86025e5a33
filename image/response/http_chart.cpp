#include "image/response/http_chart.h"

#include "engine/core/http_engine.h"
#include "image/gif/color_reduction.h"
#include "image/response/http_stream.h"
#include "platform/exception.h"

const GifFrame GifFrameDefaults = [] {
    GifFrame frame;
    frame.left = -1;
    frame.top = -1;
    frame.width = -1;
    frame.height = -1;
    frame.delay = 1000;
    frame.transparentColor = clWhite;
    return frame;
}();

namespace {

constexpr std::uint8_t kGifImageKind = 2;

GifFrame FrameFor(const TBitmap& bitmap) {
    GifFrame frame = GifFrameDefaults;
    if (frame.left < 0) frame.left = 0;
    if (frame.top < 0) frame.top = 0;
    if (frame.width < 0) frame.width = bitmap.Width() - frame.left;
    if (frame.height < 0) frame.height = bitmap.Height() - frame.top;
    frame.bitmap = &bitmap;
    return frame;
}

}  // namespace

void THttpChart::SendChart() {
    std::string gif = ChartBytes();
    if (ChartFormat == GifFormat) SendGif(gif);
}

std::string THttpChart::ChartBytes() {
    const std::unique_ptr<TBitmap> bitmap = CreateBitmap();
    const GifFrame frame = FrameFor(*bitmap);
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    list.loopCount = 0;
    list.oneColorTable = true;
    TMemorySink encoded;
    TGifResult result = WriteGif(list, encoded);
    if (result == TGifResult::TooManyColors) {
        // A GIF holds 256 colours at most; a richer chart is reduced rather than left unanswered.
        ReduceColors(*bitmap);
        result = WriteGif(list, encoded);
    }
    if (result != TGifResult::Written) throw Exception("The chart could not be written as a GIF");
    return encoded.Bytes();
}

// Sent in one piece: the same bytes, one write instead of hundreds.
void THttpChart::SendGif(const std::string& gif) {
    HttpSetImageKind(kGifImageKind);
    THttpStream stream;
    stream.Write(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size());
}

std::unique_ptr<TBitmap> THttpChartImage::CreateBitmap() {
    if (!Chart) throw Exception(Name + ": No chart assigned");
    auto bitmap = std::make_unique<TBitmap>(Chart->Width, Chart->Height, clWhite);
    // The new bitmap is off-screen already: the chart draws straight into it instead of into a
    // raster of its own that would then be copied over.
    Chart->Canvas().SetBuffered(false);
    Chart->PaintTo(*bitmap, TRect{0, 0, Chart->Width, Chart->Height});
    return bitmap;
}
