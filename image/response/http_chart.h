// The chart image response: a component that turns a picture into an image answer (a GIF, a PNG
// of the same pixels, or an SVG document), and the one that takes that picture from a chart.
#pragma once

#include <memory>
#include <string>

#include "chart/model/chart.h"
#include "image/gif/gif_writer.h"
#include "platform/raster/bitmap.h"

namespace tallyhouse::image {

enum TChartFormat { GifFormat, PngFormat, SvgFormat };

// Copied for every image sent; negative position and size mean "from the bitmap".
extern const GifFrame GifFrameDefaults;

class THttpChart {
public:
    explicit THttpChart(std::string name) : Name(std::move(name)) {}
    virtual ~THttpChart() = default;
    THttpChart(const THttpChart&) = delete;
    THttpChart& operator=(const THttpChart&) = delete;

    std::string Name;
    TChartFormat ChartFormat = GifFormat;
    // Every length of the picture multiplied by this (1 to 4): a raster has Scale x Scale as many
    // pixels, an SVG document is shown that many times as large.
    int Scale = 1;
    // What the picture shows, in words: the title of an SVG document when the chart has none.
    std::string Caption;

    // A new bitmap holding the picture to send, at Scale.
    virtual std::unique_ptr<platform::TBitmap> CreateBitmap() = 0;
    // The picture as an SVG document, at Scale.
    virtual std::string CreateSvg() = 0;
    // Sends the picture as the response in ChartFormat: a GIF as "image/gif" and nothing but its
    // bytes, a PNG or an SVG document under its own content type.
    void SendChart();
    // The picture drawn and encoded in ChartFormat, not sent.
    std::string ChartBytes();
    // Sends GIF bytes as the response body, with the content type "image/gif".
    static void SendGif(const std::string& gif);
};

class THttpChartImage : public THttpChart {
public:
    using THttpChart::THttpChart;

    // The chart to draw; not owned. Whoever destroys the chart clears this first.
    chart::TChart* Chart = nullptr;

    // Draws the chart over a bitmap of its own width and height times Scale.
    std::unique_ptr<platform::TBitmap> CreateBitmap() override;
    // Draws the chart as an SVG document titled by the chart's title (else the caption) and
    // described by its points' labels and values.
    std::string CreateSvg() override;

private:
    chart::TChart& AssignedChart() const;
    std::string PointsInWords() const;
};

}  // namespace tallyhouse::image
