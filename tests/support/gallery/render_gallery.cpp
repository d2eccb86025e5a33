// Renders the chart gallery through the built program, run as a CGI child, into FOLDER: NN.gif,
// index.txt (number, caption and query of each) and goldens.txt (the golden file these pictures
// would make). scripts/gallery runs it. Usage: render_gallery FOLDER
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
    goldens << GoldenFileHeader();
    int n = 0;
    for (const GalleryChart& chart : GalleryCharts()) {
        const GalleryPicture picture = RenderGalleryChart(dir, chart);
        char number[16];
        std::snprintf(number, sizeof number, "%02d", ++n);
        if (!picture.error.empty()) {
            std::fprintf(stderr, "chart %s (%s): %s\n", number, chart.name.c_str(), picture.error.c_str());
            return 1;
        }
        std::ofstream(folder / (std::string(number) + ".gif"), std::ios::binary) << picture.gif;
        index << number << "  " << chart.name << "  ?" << chart.query << "\n";
        goldens << GoldenLine(chart, picture.hash) << "\n";
    }
    return index && goldens ? 0 : 1;
}
