#include "image/response/http_chart.h"

#include "chart/canvas/scaled_canvas3d.h"
#include "chart/model/format_number.h"
#include "engine/core/http_engine.h"
#include "image/gif/color_reduction.h"
#include "image/png/png_writer.h"
#include "image/response/http_stream.h"
#include "image/svg/svg_canvas.h"
#include "platform/text/display_text.h"
#include "platform/os/exception.h"

namespace tallyhouse::image {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace tallyhouse::chart;

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

std::string GifBytes(TBitmap& bitmap) {
    const GifFrame frame = FrameFor(bitmap);
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    list.loopCount = 0;
    list.oneColorTable = true;
    TMemorySink encoded;
    TGifResult result = WriteGif(list, encoded);
    if (result == TGifResult::TooManyColors) {
        // A GIF holds 256 colours at most; a richer chart is reduced rather than left unanswered.
        ReduceColors(bitmap);
        result = WriteGif(list, encoded);
    }
    if (result != TGifResult::Written) throw Exception("The chart could not be written as a GIF");
    return encoded.Bytes();
}

}  // namespace

void THttpChart::SendChart() {
    const std::string picture = ChartBytes();
    if (ChartFormat == GifFormat) {
        SendGif(picture);
        return;
    }
    HttpWriteHeader("content-type", ChartFormat == PngFormat ? "image/png" : "image/svg+xml");
    HttpEndHeader();
    THttpStream().Write(reinterpret_cast<const std::uint8_t*>(picture.data()), picture.size());
}

std::string THttpChart::ChartBytes() {
    if (ChartFormat == SvgFormat) return CreateSvg();
    const std::unique_ptr<TBitmap> bitmap = CreateBitmap();
    return ChartFormat == PngFormat ? EncodePng(*bitmap) : GifBytes(*bitmap);
}

// Sent in one piece: the same bytes, one write instead of hundreds.
void THttpChart::SendGif(const std::string& gif) {
    HttpSetImageKind(kGifImageKind);
    THttpStream stream;
    stream.Write(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size());
}

TChart& THttpChartImage::AssignedChart() const {
    if (!Chart) throw Exception(Name + ": No chart assigned");
    return *Chart;
}

std::unique_ptr<TBitmap> THttpChartImage::CreateBitmap() {
    TChart& chart = AssignedChart();
    auto bitmap = std::make_unique<TBitmap>(chart.Width * Scale, chart.Height * Scale, clWhite);
    chart.SetCanvas(Scale == 1 ? std::make_unique<TRasterCanvas3D>() : std::make_unique<TScaledCanvas3D>(Scale));
    // The new bitmap is off-screen already: the chart draws straight into it instead of into a
    // raster of its own that would then be copied over.
    chart.Canvas().SetBuffered(false);
    chart.PaintTo(*bitmap, TRect{0, 0, chart.Width, chart.Height});
    return bitmap;
}

std::string THttpChartImage::CreateSvg() {
    TChart& chart = AssignedChart();
    auto owned = std::make_unique<TSvgCanvas>(chart.Width, chart.Height, Scale);
    TSvgCanvas& svg = *owned;
    chart.SetCanvas(std::move(owned));
    TBitmap none;
    chart.PaintTo(none, TRect{0, 0, chart.Width, chart.Height});
    std::string title;
    if (chart.Title.Visible)
        for (const std::string& line : chart.Title.Text) title += (title.empty() ? "" : " ") + DisplayTextUtf8(line);
    return svg.Document(title.empty() ? DisplayTextUtf8(Caption) : title, PointsInWords());
}

// "label: value" of every point of the active series, one after the other; each label is read
// as characters on its own, as the chart shows it, before they are joined.
std::string THttpChartImage::PointsInWords() const {
    std::string words;
    const TChartSeries* series = Chart->FirstActiveSeries();
    if (!series) return words;
    for (int i = 0; i < series->PointCount(); ++i) {
        if (!words.empty()) words += "; ";
        words += DisplayTextUtf8(series->LabelOrValue(i)) + ": " + FormatNumber(series->ValueFormat, series->MarkValue(i));
    }
    return words;
}

}  // namespace tallyhouse::image
