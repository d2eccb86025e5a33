// Times whole CGI processes adding an answer to a poll of 1,000,000 answers whose one-answer
// record holds 1,000,000 visitors: with the check (cookie+address, each run a new visitor, so
// a new id is issued and both keys are looked up and noted) against without it, alternating in
// the same run so machine load affects both alike. The check may cost at most twice the add.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/answer_record.h"
#include "bench/cgi_process.h"

using namespace tallyhouse::app;

namespace {

constexpr int kAnswers = 1000000;

std::vector<std::string> Environment(int run, bool checked) {
    std::vector<std::string> env = {"SERVER_SOFTWARE=lighttpd/1.4.69", "GATEWAY_INTERFACE=CGI/1.1",
                                    "REQUEST_METHOD=GET", "SCRIPT_NAME=/cgi-bin/tallyhouse.cgi",
                                    "HTTP_HOST=127.0.0.1", "QUERY_STRING=command=add&q.pol=yes&backurl=/results.html",
                                    "REMOTE_ADDR=10." + std::to_string(run / 65536 % 256) + "." +
                                        std::to_string(run / 256 % 256) + "." + std::to_string(run % 256)};
    if (checked) env.push_back("TALLYHOUSE_ONE_ANSWER=cookie+address");
    return env;
}

void MakePoll(const std::filesystem::path& poll) {
    std::string text;
    text.reserve(static_cast<size_t>(kAnswers) * 34);
    for (int i = 0; i < kAnswers; ++i)
        text += "2026-12-08 14:07:09,10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) +
                ".1,answer " + std::to_string(i % 7) + "\r\n";
    std::ofstream(poll, std::ios::binary) << text;
}

// A record of as many visitors as the poll has answers, under keys no run will send.
void MakeRecord(const std::filesystem::path& poll) {
    TAnswerRecord record(poll.string());
    std::mt19937_64 random(2026);
    for (int i = 0; i < kAnswers; ++i) record.Note(random(), 1'700'000'000);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::stoi(argv[1]) : 200;
    const auto folder = std::filesystem::temp_directory_path() / "tallyhouse_bench_one_answer";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string program = (folder / "tallyhouse.cgi").string();
    std::filesystem::copy_file(TALLYHOUSE_CGI, program);
    MakePoll(folder / "q.pol");
    MakeRecord(folder / "q.pol");

    std::vector<double> plainMs, checkedMs;
    for (int i = 0; i < runs; ++i) {
        plainMs.push_back(bench::RunProcess(program, Environment(i, false)).wallMs);
        checkedMs.push_back(bench::RunProcess(program, Environment(i, true)).wallMs);
    }
    const double plain = bench::Median(plainMs);
    const double checked = bench::Median(checkedMs);
    const double ratio = checked / plain;
    std::printf("poll of %d answers, record of %llu visitors, %d runs each: add median %.3f ms, "
                "add with the one-answer check %.3f ms, ratio %.2f %s\n",
                kAnswers, static_cast<unsigned long long>(TAnswerRecord((folder / "q.pol").string()).Keys()), runs,
                plain, checked, ratio, ratio <= 2.0 ? "(at most 2)" : "(MORE THAN 2)");
    std::filesystem::remove_all(folder);
    return ratio <= 2.0 ? 0 : 1;
}
