// The chart image response: a component that turns a bitmap into a GIF answer, and the one that
// takes that bitmap from a chart.
#pragma once

#include <memory>
#include <string>

#include "chart/model/chart.h"
#include "image/gif/gif_writer.h"
#include "platform/bitmap.h"

enum TChartFormat { GifFormat };

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

    // A new bitmap holding the picture to send.
    virtual std::unique_ptr<TBitmap> CreateBitmap() = 0;
    // Sends the picture as the response: "image/gif" and nothing but the GIF bytes.
    void SendChart();
    // The picture drawn and encoded as a GIF, not sent.
    std::string ChartBytes();
    // Sends GIF bytes as the response body, with the content type "image/gif".
    static void SendGif(const std::string& gif);
};

class THttpChartImage : public THttpChart {
public:
    using THttpChart::THttpChart;

    // The chart to draw; not owned. Whoever destroys the chart clears this first.
    TChart* Chart = nullptr;

    // Draws the chart over a bitmap of its own width and height.
    std::unique_ptr<TBitmap> CreateBitmap() override;
};
