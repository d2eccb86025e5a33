// Times whole CGI processes: recording one answer against answering the help page, both
// measured in the same run, alternating, so machine load affects them alike.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/cgi_process.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::stoi(argv[1]) : 300;
    const auto folder = std::filesystem::temp_directory_path() / "tallyhouse_bench_add";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string program = (folder / "tallyhouse.cgi").string();
    std::filesystem::copy_file(TALLYHOUSE_CGI, program);

    const auto help = bench::CgiEnvironment("");
    const auto add = bench::CgiEnvironment("command=add&question1.pol=yes&backurl=http://127.0.0.1/");
    std::vector<double> helpMs, addMs;
    for (int i = 0; i < runs; ++i) {
        helpMs.push_back(bench::RunProcess(program, help).wallMs);
        addMs.push_back(bench::RunProcess(program, add).wallMs);
    }
    const double helpMedian = bench::Median(helpMs);
    const double addMedian = bench::Median(addMs);
    const double extra = addMedian - helpMedian;
    std::printf("%d runs each: help page median %.3f ms, add median %.3f ms, add costs %+.3f ms (%.2fx) %s\n",
                runs, helpMedian, addMedian, extra, addMedian / helpMedian,
                extra <= 1.5 ? "within 1.5 ms" : "MORE THAN 1.5 ms");
    std::filesystem::remove_all(folder);
    return extra <= 1.5 ? 0 : 1;
}
