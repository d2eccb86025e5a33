// The default view (the German sample, 400 x 250) as GIF, SVG, PNG and PNG at scale 2: the CPU
// time of whole CGI processes, taken in turn in rounds so that machine load affects them alike,
// with the ratios the formats must keep (SVG to GIF, PNG to GIF, scale 2 to scale 1); the same
// less the CPU of a process that answers nothing; and the bytes of the SVG against the GIF, plain
// and gzipped. Usage: bench_chart_formats [ROUNDS]
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/cgi_process.h"

namespace {

struct TView {
    const char* name;
    std::string query;
};

// The child's CPU time of one run, its output into the file at out.
double CpuOfRun(const std::string& query, const char* out) {
    return bench::RunProcess(TALLYHOUSE_CGI, bench::CgiEnvironment(query), out).cpuMs;
}

// The response body: everything after the blank line.
std::string Body(const char* path) {
    std::string text;
    if (std::FILE* f = std::fopen(path, "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    const std::size_t blank = text.find("\r\n\r\n");
    return blank == std::string::npos ? "" : text.substr(blank + 4);
}

std::size_t Gzipped(const std::string& bytes) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + 15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, bytes.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    const std::size_t size = z.total_out;
    deflateEnd(&z);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::vector<TView> views = {
        {"nothing (command=xx)", "command=xx"},
        {"GIF", "command=view"},
        {"SVG", "command=view&format=svg"},
        {"PNG", "command=view&format=png"},
        {"PNG scale 2", "command=view&format=png&scale=2"},
    };
    const char* out = "bench_chart_formats.out";
    std::vector<std::vector<double>> cpu(views.size());
    for (int round = 0; round < rounds; ++round)
        for (std::size_t v = 0; v < views.size(); ++v) cpu[v].push_back(CpuOfRun(views[v].query, out));
    std::vector<double> median;
    for (const std::vector<double>& samples : cpu) median.push_back(bench::Median(samples));
    std::printf("CPU per process, median of %d rounds taken in turn (and less the %.3f ms of a process that "
                "answers nothing):\n", rounds, median[0]);
    for (std::size_t v = 1; v < views.size(); ++v)
        std::printf("  %-12s %7.3f ms (%7.3f ms)\n", views[v].name, median[v], median[v] - median[0]);
    const auto ratio = [&](std::size_t a, std::size_t b, bool net) {
        return net ? (median[a] - median[0]) / (median[b] - median[0]) : median[a] / median[b];
    };
    std::printf("ratios: SVG/GIF %.2f (%.2f), PNG/GIF %.2f (%.2f), PNG scale 2/PNG %.2f (%.2f)\n", ratio(2, 1, false),
                ratio(2, 1, true), ratio(3, 1, false), ratio(3, 1, true), ratio(4, 3, false), ratio(4, 3, true));
    CpuOfRun(views[1].query, out);
    const std::string gif = Body(out);
    CpuOfRun(views[2].query, out);
    const std::string svg = Body(out);
    std::remove(out);
    std::printf("bytes: GIF %zu, SVG %zu (%.2f times the GIF); gzip -9: GIF %zu, SVG %zu (%.2f times the GIF's)\n",
                gif.size(), svg.size(), static_cast<double>(svg.size()) / static_cast<double>(gif.size()), Gzipped(gif),
                Gzipped(svg), static_cast<double>(Gzipped(svg)) / static_cast<double>(Gzipped(gif)));
    return 0;
}
