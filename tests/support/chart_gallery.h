// The chart gallery: a fixed set of view requests over fixed polls, rendered by scripts/gallery
// for a person to look at and pinned by the golden test as hashes of their decoded pixels.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

namespace testsupport {

struct GalleryChart {
    std::string name;   // the caption on the contact sheet
    std::string query;  // the whole query string of the view request
};

const std::vector<GalleryChart>& GalleryCharts();

// The polls the gallery's queries name (forty.pol, many.pol, ...), written beside the program.
void WriteGalleryPolls(const ScratchDir& dir);

struct GalleryPicture {
    std::string gif;    // the response body
    std::string hash;   // PixelHash of the decoded GIF
    std::string error;  // why there is no picture: no GIF answered, or one giflib cannot read
};

GalleryPicture RenderGalleryChart(const ScratchDir& dir, const GalleryChart& chart);

// The same chart as an SVG document and as PNGs at scale 1 and 2; png2 stays empty when the
// doubled size is over the limit (the view refuses it).
struct GalleryFormats {
    std::string svg, png, png2;
    std::string error;  // a format not answered as asked
};

GalleryFormats RenderGalleryFormats(const ScratchDir& dir, const GalleryChart& chart);

// 16 hex digits hashing the picture's size and the colour of every pixel, not the GIF's bytes:
// a change of the encoder that keeps the picture keeps the hash. Empty unless the GIF holds one
// frame covering the whole picture, as every chart does.
std::string PixelHash(const DecodedGif& gif);

// The golden file, tests/app/chart_goldens.txt: comment lines, then "name|query|hash" per chart.
std::string GoldenFileHeader();
std::string GoldenLine(const GalleryChart& chart, const std::string& hash);
// "name|query" of each golden line, with its hash.
std::map<std::string, std::string> ReadGoldenFile(const std::string& text);
std::string GoldenKey(const GalleryChart& chart);

}  // namespace testsupport
