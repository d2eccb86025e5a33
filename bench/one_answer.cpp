// Times whole CGI processes adding an answer to a poll of 1,000,000 answers whose one-answer
// record holds 1,000,000 visitors: with the check (cookie+address, each run a new visitor, so
// a new id is issued and both keys are looked up and noted) against without it, alternating in
// the same run so machine load affects both alike. The check may cost at most twice the add.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/answer_record.h"

namespace {

using Clock = std::chrono::steady_clock;
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

// Runs the program once with its output thrown away; the wall time in milliseconds.
double RunOnce(const std::string& program, const std::vector<std::string>& env) {
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return ms;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
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
        plainMs.push_back(RunOnce(program, Environment(i, false)));
        checkedMs.push_back(RunOnce(program, Environment(i, true)));
    }
    const double plain = Median(plainMs);
    const double checked = Median(checkedMs);
    const double ratio = checked / plain;
    std::printf("poll of %d answers, record of %llu visitors, %d runs each: add median %.3f ms, "
                "add with the one-answer check %.3f ms, ratio %.2f %s\n",
                kAnswers, static_cast<unsigned long long>(TAnswerRecord((folder / "q.pol").string()).Keys()), runs,
                plain, checked, ratio, ratio <= 2.0 ? "(at most 2)" : "(MORE THAN 2)");
    std::filesystem::remove_all(folder);
    return ratio <= 2.0 ? 0 : 1;
}
