// Hash flooding: a poll of 1,000,000 different answers built so that they all share the low 32
// bits of FNV-1a (the table index an unkeyed tally would use), against a poll of 1,000,000
// random answers of the same length. Times the tally in this process and a whole view through
// the built program, and prints the CPU-time ratio of crafted to random; 2 is the bound.
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/poll_file.h"
#include "app/tally.h"
#include "bench/cgi_process.h"

using namespace tallyhouse::app;

namespace {

namespace fs = std::filesystem;

constexpr int kStages = 20;  // 2^20 colliding answers
constexpr int kAnswers = 1000000;
constexpr std::uint32_t kPrime = 0x1B3;        // FNV-1a's 64-bit prime, modulo 2^32
constexpr std::uint32_t kBasis = 0x84222325;   // its 64-bit basis, modulo 2^32

std::uint32_t Step(std::uint32_t state, const std::string& block) {
    for (const char c : block) state = (state ^ static_cast<unsigned char>(c)) * kPrime;
    return state;
}

std::string RandomBlock(std::mt19937& random, size_t length) {
    std::string block(length, 'a');
    for (char& c : block) c = static_cast<char>('a' + random() % 26);
    return block;
}

// Two different 6-letter blocks that take the state to the same next state, by the birthday
// bound after some 2^16 tries.
std::pair<std::string, std::string> CollidingBlocks(std::uint32_t state, std::mt19937& random) {
    std::unordered_map<std::uint32_t, std::string> seen;
    for (;;) {
        std::string block = RandomBlock(random, 6);
        const auto [it, added] = seen.emplace(Step(state, block), block);
        if (!added && it->second != block) return {it->second, block};
    }
}

std::vector<std::string> CraftedAnswers(std::mt19937& random) {
    std::vector<std::pair<std::string, std::string>> stages;
    std::uint32_t state = kBasis;
    for (int k = 0; k < kStages; ++k) {
        stages.push_back(CollidingBlocks(state, random));
        state = Step(state, stages.back().first);
    }
    std::vector<std::string> answers;
    answers.reserve(kAnswers);
    for (int i = 0; i < kAnswers; ++i) {
        std::string answer;
        for (int k = 0; k < kStages; ++k) answer += (i >> k) & 1 ? stages[k].second : stages[k].first;
        answers.push_back(answer);
    }
    return answers;
}

void WritePoll(const fs::path& path, const std::vector<std::string>& answers) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& answer : answers) out << "2026-12-09 10:00:00,127.0.0.1," << answer << "\r\n";
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double TallyCpuMs(const fs::path& path) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuMs();
        TallyCounter counter;
        ReadPollFile(path.string(), [&](std::string_view piece) { counter.Feed(piece); });
        const Tally tally = std::move(counter).Finish();
        best = std::min(best, ThreadCpuMs() - start);
        if (tally.size() != kAnswers) std::printf("unexpected tally of %zu answers\n", tally.size());
    }
    return best;
}

// The CPU time (user and system) of one view of the poll by the built program as a CGI child.
double ViewCpuMs(const fs::path& folder, const std::string& poll) {
    return bench::RunProcess((folder / "tallyhouse.cgi").string(),
                             bench::CgiEnvironment("command=view&style=3&filename=" + poll))
        .cpuMs;
}

}  // namespace

int main() {
    const fs::path folder = fs::temp_directory_path() / "tallyhouse_bench_flood";
    fs::create_directories(folder);
    fs::copy_file(TALLYHOUSE_CGI, folder / "tallyhouse.cgi", fs::copy_options::overwrite_existing);
    std::mt19937 random(2026);
    const std::vector<std::string> crafted = CraftedAnswers(random);
    std::vector<std::string> plain;
    plain.reserve(kAnswers);
    for (int i = 0; i < kAnswers; ++i) plain.push_back(RandomBlock(random, crafted[0].size()));
    WritePoll(folder / "crafted.pol", crafted);
    WritePoll(folder / "random.pol", plain);

    const double tallyCrafted = TallyCpuMs(folder / "crafted.pol"), tallyRandom = TallyCpuMs(folder / "random.pol");
    const double viewCrafted = ViewCpuMs(folder, "crafted.pol"), viewRandom = ViewCpuMs(folder, "random.pol");
    std::printf("1,000,000 answers of %zu bytes, all alike in FNV-1a's low 32 bits, against random ones\n",
                crafted[0].size());
    std::printf("tally CPU: crafted %.0f ms, random %.0f ms, ratio %.2f\n", tallyCrafted, tallyRandom,
                tallyCrafted / tallyRandom);
    std::printf("view CPU (pie): crafted %.0f ms, random %.0f ms, ratio %.2f (bound 2)\n", viewCrafted, viewRandom,
                viewCrafted / viewRandom);
    fs::remove_all(folder);
    return viewCrafted <= 2 * viewRandom ? 0 : 1;
}
