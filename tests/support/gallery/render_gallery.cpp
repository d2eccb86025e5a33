// Renders the chart gallery through the built program, run as a CGI child, into FOLDER: NN.gif,
// the same chart as NN.svg, NN.png and NN@2x.png (scale 2, where its size allows), formats.html
// (each chart as GIF, SVG and PNG at scale 2 side by side, for a browser), index.txt (number,
// caption and query of each) and goldens.txt (the golden file these pictures would make).
// scripts/gallery runs it. Usage: render_gallery FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/chart_gallery.h"

using namespace testsupport;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    ScratchDir dir;
    WriteGalleryPolls(dir);
    std::ofstream index(folder / "index.txt", std::ios::binary);
    std::ofstream goldens(folder / "goldens.txt", std::ios::binary);
    std::ofstream page(folder / "formats.html", std::ios::binary);
    goldens << GoldenFileHeader();
    page << "<!DOCTYPE html><meta charset=\"utf-8\"><title>Chart gallery: GIF, SVG, PNG at scale 2</title>\n"
            "<style>img{vertical-align:top;margin:2px;border:1px solid #ccc}</style>\n";
    int n = 0;
    for (const GalleryChart& chart : GalleryCharts()) {
        const GalleryPicture picture = RenderGalleryChart(dir, chart);
        char number[16];
        std::snprintf(number, sizeof number, "%02d", ++n);
        if (!picture.error.empty()) {
            std::fprintf(stderr, "chart %s (%s): %s\n", number, chart.name.c_str(), picture.error.c_str());
            return 1;
        }
        const GalleryFormats formats = RenderGalleryFormats(dir, chart);
        if (!formats.error.empty()) {
            std::fprintf(stderr, "chart %s (%s): %s\n", number, chart.name.c_str(), formats.error.c_str());
            return 1;
        }
        const std::string name = number;
        std::ofstream(folder / (name + ".gif"), std::ios::binary) << picture.gif;
        std::ofstream(folder / (name + ".svg"), std::ios::binary) << formats.svg;
        std::ofstream(folder / (name + ".png"), std::ios::binary) << formats.png;
        if (!formats.png2.empty()) std::ofstream(folder / (name + "@2x.png"), std::ios::binary) << formats.png2;
        page << "<h3>" << name << ": " << chart.name << "</h3><img src=\"" << name << ".gif\"><img src=\"" << name
             << ".svg\">";
        if (!formats.png2.empty())
            page << "<img src=\"" << name << ".png\" srcset=\"" << name << "@2x.png 2x\">";
        page << "\n";
        index << number << "  " << chart.name << "  ?" << chart.query << "\n";
        goldens << GoldenLine(chart, picture.hash) << "\n";
    }
    return index && goldens && page ? 0 : 1;
}
