// Times the tally of large poll files (read, count, order) and checks that the order equals
// the plain exchange sort's, which it also times as the baseline on the many-answer file; then
// times the tally against its counting as it stood before quoted answers were read, both in
// this run, runs taken in turn, and prints the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <time.h>

#include "app/poll_file.h"
#include "app/tally.h"
#include "bench/tally_baseline.h"

using namespace tallyhouse::app;

namespace {

using Clock = std::chrono::steady_clock;

// Lines of answers "answer N", or with quoted the quoted field of "answer, N".
std::string MakePollFile(const std::filesystem::path& path, int lines, int distinct, bool quoted = false) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 40);
    unsigned state = 12345;
    for (int i = 0; i < lines; ++i) {
        state = state * 1103515245u + 12345u;
        const std::string answer = std::to_string((state >> 8) % static_cast<unsigned>(distinct));
        text += "12/08/26 14:07:09,192.168.100.23," + (quoted ? "\"answer, " + answer + "\"" : "answer " + answer) + "\r\n";
    }
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

double MedianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

template <typename Counter = TallyCounter>
Tally TallyOf(const std::string& path) {
    Counter counter;
    ReadPollFile(path, [&](std::string_view piece) { counter.Feed(piece); });
    return std::move(counter).Finish();
}

std::string TextOf(const std::string& path) {
    std::string text;
    ReadPollFile(path, [&](std::string_view piece) { text += piece; });
    return text;
}

// The stable exchange sort: n - 1 passes, neighbours swapped when the left count is smaller.
void ExchangeSort(Tally& tally) {
    for (size_t pass = 1; pass < tally.size(); ++pass)
        for (size_t i = 0; i + 1 < tally.size(); ++i)
            if (tally[i].count < tally[i + 1].count) std::swap(tally[i], tally[i + 1]);
}

Tally InAppearanceOrder(const std::string& path) {
    // Counting in appearance order is the tally before ordering: recount lines by label.
    const std::string text = TextOf(path);
    Tally tally;
    std::map<std::string, size_t> seen;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        const std::string answer = text.substr(text.rfind(',', end) + 1, end - text.rfind(',', end) - 1);
        auto found = seen.find(answer);
        if (found == seen.end()) {
            seen.emplace(answer, tally.size());
            tally.push_back({answer, 1});
        } else {
            ++tally[found->second].count;
        }
        start = end + 2;
    }
    return tally;
}

// CPU time of this thread: on a shared machine it tells the work done from the waiting.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

int Report(const char* name, const std::string& path, double limitMs) {
    std::vector<double> wall, cpu;
    Tally tally;
    for (int run = 0; run < 9; ++run) {
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        tally = TallyOf(path);
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const double median = MedianMs(wall);
    std::printf("%-32s %5zu categories: median %6.1f ms wall, %6.1f ms CPU (limit %.0f ms) %s\n", name, tally.size(),
                median, MedianMs(cpu), limitMs, median <= limitMs ? "ok" : "TOO SLOW");
    return median <= limitMs ? 0 : 1;
}

// The tally against its baseline on one file, runs in turn; CPU medians and their ratio.
int CompareWithBaseline(const char* name, const std::string& path) {
    std::vector<double> now, before;
    bool same = true;
    for (int run = 0; run < 15; ++run) {
        double start = CpuMs();
        const Tally tally = TallyOf(path);
        now.push_back(CpuMs() - start);
        start = CpuMs();
        const Tally old = TallyOf<baseline::TallyCounter>(path);
        before.push_back(CpuMs() - start);
        same = same && tally == old;
    }
    const double ratio = MedianMs(now) / MedianMs(before);
    std::printf("%-32s median %6.1f ms CPU, before quoted answers %6.1f ms: ratio %.3f %s%s\n", name, MedianMs(now),
                MedianMs(before), ratio, ratio <= 1.03 ? "ok" : "SLOWER", same ? "" : ", tallies DIFFER");
    return ratio <= 1.03 && same ? 0 : 1;
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "tallyhouse_bench_tally";
    std::filesystem::create_directories(folder);
    const std::string few = MakePollFile(folder / "few.pol", 1000000, 5);
    const std::string many = MakePollFile(folder / "many.pol", 1000000, 20000);
    int failures = Report("1,000,000 lines, 5 answers", few, 300);
    failures += Report("1,000,000 lines, 20,000 answers", many, 150);

    Tally reference = InAppearanceOrder(many);
    const auto start = Clock::now();
    ExchangeSort(reference);
    const double exchangeMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const auto tallyStart = Clock::now();
    const Tally tally = TallyOf(many);
    const double tallyMs = std::chrono::duration<double, std::milli>(Clock::now() - tallyStart).count();
    const bool same = tally == reference;
    std::printf("exchange sort of 20,000 categories alone: %.1f ms; whole tally %.1f ms (%.1fx faster); order %s\n",
                exchangeMs, tallyMs, exchangeMs / tallyMs, same ? "identical" : "DIFFERS");
    failures += CompareWithBaseline("1,000,000 lines, 5 answers", few);
    failures += CompareWithBaseline("1,000,000 lines, 20,000 answers", many);
    const std::string quoted = MakePollFile(folder / "quoted.pol", 1000000, 5, true);
    failures += Report("1,000,000 quoted lines, 5 answers", quoted, 300);
    std::filesystem::remove_all(folder);
    return failures + (same ? 0 : 1);
}
