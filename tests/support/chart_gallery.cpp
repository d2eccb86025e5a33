#include "tests/support/chart_gallery.h"

#include <cstdint>
#include <cstdio>

namespace testsupport {

const std::vector<GalleryChart>& GalleryCharts() {
    static const std::vector<GalleryChart> charts = {
        {"default: German sample, bars", "command=view&"},
        {"horizontal bars", "command=view&style=1"},
        {"area", "command=view&style=2"},
        {"pie", "command=view&style=3"},
        {"bars 3D orthogonal", "command=view&3D=yes"},
        {"bars 3D rotated 300", "command=view&3D=yes&3Dorthogonal=no&3DRotation=300"},
        {"bars 3D elevation 340, zoom 80", "command=view&3D=yes&3Dorthogonal=no&3DElevation=340&3DZoom=80"},
        {"bars 3D depth 100", "command=view&3D=yes&3DDepth=100"},
        {"horizontal bars 3D rotated", "command=view&style=1&3D=yes&3Dorthogonal=no&3DRotation=330"},
        {"area 3D", "command=view&style=2&3D=yes"},
        {"pie 3D orthogonal", "command=view&style=3&3D=yes"},
        {"pie 3D rotated, depth 20", "command=view&style=3&3D=yes&3Dorthogonal=no&3DDepth=20"},
        {"legend with percentages, marks with values", "command=view&legendstyle=percent&marksstyle=value"},
        {"no legend, no marks", "command=view&legend=no&marks=no"},
        {"border", "command=view&border=yes"},
        {"colours: red, panel aqua, walls yellow/blue",
         "command=view&color=0&backcolor=14&chartbacktopcolor=2&chartbackbottomcolor=3&3D=yes"},
        {"title 181 Antworten in blue", "command=view&number=Antworten&numbercolor=3"},
        {"color 99, English sample", "command=view&color=99&filename=testenglish"},
        {"pie color 99 3D, title", "command=view&style=3&color=99&3D=yes&number=answers&filename=testenglish"},
        {"40 answers", "command=view&filename=forty.pol&color=3"},
        {"40 answers, pie 3D rotated", "command=view&filename=forty.pol&style=3&3D=yes&3Dorthogonal=no"},
        {"empty poll", "command=view&filename=empty.pol"},
        {"120 x 80", "command=view&width=120&height=80"},
        {"1600 x 1000, 3D rotated", "command=view&width=1600&height=1000&3D=yes&3Dorthogonal=no&number=Antworten"},
        // The wider set: every style in both views, turned and zoomed pies, marks and legend in
        // both styles, polls from none to 20,000 answers, Latin-1 texts, the smallest and large sizes.
        {"horizontal bars 3D orthogonal", "command=view&style=1&3D=yes"},
        {"area 3D rotated 320, elevation 350",
         "command=view&style=2&3D=yes&3Dorthogonal=no&3DRotation=320&3DElevation=350"},
        {"pie, marks with values, legend with percentages",
         "command=view&style=3&marksstyle=value&legendstyle=percent"},
        {"pie 3D rotated 90, elevation 330", "command=view&style=3&3D=yes&3Dorthogonal=no&3DRotation=90&3DElevation=330"},
        {"pie 3D zoom 60", "command=view&style=3&3D=yes&3DZoom=60"},
        {"pie 3D rotated 200, zoom 150", "command=view&style=3&3D=yes&3Dorthogonal=no&3DRotation=200&3DZoom=150"},
        {"bars 3D zoom 50, marks with values", "command=view&3D=yes&3DZoom=50&marksstyle=value"},
        {"horizontal bars, marks with values, legend with percentages",
         "command=view&style=1&marksstyle=value&legendstyle=percent"},
        {"1 answer", "command=view&filename=one.pol"},
        {"1 answer, pie 3D", "command=view&filename=one.pol&style=3&3D=yes"},
        {"empty poll, pie 3D", "command=view&filename=empty.pol&style=3&3D=yes"},
        {"40 answers, horizontal bars 3D, color 99", "command=view&filename=forty.pol&style=1&3D=yes&color=99"},
        {"40 answers, area", "command=view&filename=forty.pol&style=2"},
        {"20,000 answers, bars", "command=view&filename=many.pol"},
        {"20,000 answers, bars, no marks", "command=view&filename=many.pol&marks=no"},
        {"20,000 answers, horizontal bars", "command=view&filename=many.pol&style=1"},
        {"20,000 answers, horizontal bars 3D rotated, no marks",
         "command=view&filename=many.pol&style=1&3D=yes&3Dorthogonal=no&marks=no"},
        {"20,000 answers, area", "command=view&filename=many.pol&style=2"},
        {"20,000 answers, pie", "command=view&filename=many.pol&style=3"},
        {"20,000 answers, bars 3D, marks with values", "command=view&filename=many.pol&3D=yes&marksstyle=value"},
        {"20,000 answers, area 3D", "command=view&filename=many.pol&style=2&3D=yes"},
        {"20,000 answers, pie 3D", "command=view&filename=many.pol&style=3&3D=yes"},
        {"20,000 answers, pie 3D rotated, color 99",
         "command=view&filename=many.pol&style=3&3D=yes&3Dorthogonal=no&color=99"},
        {"Latin-1 answers, bars, Latin-1 title",
         "command=view&filename=latin1.pol&width=640&number=Stimmen%20f%FCr%20%C4pfel%20%DF%E9"},
        {"Latin-1 answers, pie 3D, legend with percentages",
         "command=view&filename=latin1.pol&style=3&3D=yes&width=640&legendstyle=percent"},
        {"Latin-1 answers, horizontal bars", "command=view&filename=latin1.pol&style=1&width=640&height=400"},
        {"1 x 1", "command=view&width=1&height=1"},
        {"60 x 40, pie", "command=view&style=3&width=60&height=40"},
        {"40 x 600, bars", "command=view&width=40&height=600"},
        {"2400 x 1800, pie 3D, title", "command=view&style=3&3D=yes&width=2400&height=1800&number=Antworten"},
    };
    return charts;
}

namespace {

std::string Lines(const std::string& answer, int count) {
    std::string text;
    for (int k = 0; k < count; ++k) text += "08.12.2026,12:00:00,127.0.0.1," + answer + "\r\n";
    return text;
}

// Every byte from 0xA0 to 0xFF, in answers of sixteen; none of them reads as UTF-8.
std::string Latin1Poll() {
    std::string text = Lines("Gr\xFC\xDF" "e", 3) + Lines("\xC4pfel \xD6l \xDC" "bel", 2) +
                       Lines("sch\xF6n \xE4hnlich s\xFC\xDF", 1);
    for (int row = 0xA0; row <= 0xF0; row += 0x10) {
        std::string answer;
        for (int byte = row; byte < row + 0x10; ++byte) answer += static_cast<char>(byte);
        text += Lines(answer, 1 + (row >> 4) % 3);
    }
    return text;
}

}  // namespace

void WriteGalleryPolls(const ScratchDir& dir) {
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += Lines("answer " + std::to_string(i), i % 5 + 1);
    dir.Write("forty.pol", forty);
    dir.Write("empty.pol", "");
    dir.Write("one.pol", Lines("yes", 1));
    std::string many;
    // A staircase of 200 answers counted 201 times down to twice, then plateaus of three, two and one.
    for (int i = 0; i < 20000; ++i) many += Lines("answer " + std::to_string(i), i < 200 ? 201 - i : i % 3 + 1);
    dir.Write("many.pol", many);
    dir.Write("latin1.pol", Latin1Poll());
}

GalleryPicture RenderGalleryChart(const ScratchDir& dir, const GalleryChart& chart) {
    GalleryPicture picture;
    const CgiResult result = RunProgram(dir.Program(), GetRequest(chart.query));
    if (result.exitCode != 0 || result.header.find("content-type:image/gif") == std::string::npos) {
        picture.error = "no GIF (exit " + std::to_string(result.exitCode) + "): " + result.output.substr(0, 300);
        return picture;
    }
    picture.gif = result.body;
    const DecodedGif gif = DecodeGif(picture.gif);
    picture.hash = gif.ok ? PixelHash(gif) : "";
    if (picture.hash.empty()) picture.error = "not one whole-picture GIF frame: " + gif.error;
    return picture;
}

namespace {

// The body of the view in another format, or why there is none.
std::string FormatBody(const ScratchDir& dir, const std::string& query, const std::string& contentType,
                       std::string& error) {
    const CgiResult result = RunProgram(dir.Program(), GetRequest(query));
    if (result.exitCode == 0 && result.header.find("content-type:" + contentType) != std::string::npos) return result.body;
    if (error.empty()) error = query + " is no " + contentType + ": " + result.output.substr(0, 300);
    return "";
}

}  // namespace

GalleryFormats RenderGalleryFormats(const ScratchDir& dir, const GalleryChart& chart) {
    GalleryFormats formats;
    // The default chart's query ends in "&"; an empty field there would end the fields.
    const std::string query = chart.query.back() == '&' ? chart.query : chart.query + "&";
    formats.svg = FormatBody(dir, query + "format=svg", "image/svg+xml", formats.error);
    formats.png = FormatBody(dir, query + "format=png", "image/png", formats.error);
    const CgiResult twice = RunProgram(dir.Program(), GetRequest(query + "format=png&scale=2"));
    if (twice.header.find("content-type:image/png") != std::string::npos)
        formats.png2 = twice.body;
    else if (twice.body.find("4096 pixels") == std::string::npos && formats.error.empty())
        formats.error = "no PNG at scale 2: " + twice.output.substr(0, 300);
    return formats;
}

std::string PixelHash(const DecodedGif& gif) {
    if (!gif.ok || gif.frames.size() != 1) return "";
    const DecodedFrame& frame = gif.frames[0];
    if (frame.left != 0 || frame.top != 0 || frame.width != gif.width || frame.height != gif.height) return "";
    // 64-bit FNV-1a over the width, the height and the R, G, B bytes of every pixel, row by row.
    std::uint64_t hash = 0xCBF29CE484222325u;
    const auto add = [&hash](std::uint32_t value, int bytes) {
        for (int k = bytes - 1; k >= 0; --k) {
            hash ^= (value >> (8 * k)) & 0xFF;
            hash *= 0x100000001B3u;
        }
    };
    add(static_cast<std::uint32_t>(gif.width), 4);
    add(static_cast<std::uint32_t>(gif.height), 4);
    for (std::uint32_t rgb : frame.rgb) add(rgb, 3);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string GoldenFileHeader() {
    return "# Hashes of the decoded pixels (size and colours) of the charts of tests/support/chart_gallery.cpp,\n"
           "# one line each: name|query|hash. Written by scripts/gallery --accept once a person has looked\n"
           "# at the contact sheet; checked by tests/app/chart_golden_test.cpp.\n";
}

std::string GoldenKey(const GalleryChart& chart) { return chart.name + "|" + chart.query; }

std::string GoldenLine(const GalleryChart& chart, const std::string& hash) { return GoldenKey(chart) + "|" + hash; }

std::map<std::string, std::string> ReadGoldenFile(const std::string& text) {
    std::map<std::string, std::string> goldens;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string::size_type bar = line.rfind('|');
        if (line.empty() || line[0] == '#' || bar == std::string::npos) continue;
        goldens[line.substr(0, bar)] = line.substr(bar + 1);
    }
    return goldens;
}

}  // namespace testsupport
