// Times whole CGI processes: recording one answer against answering the help page, both
// measured in the same run, alternating, so machine load affects them alike.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Environment(const std::string& query) {
    return {"SERVER_SOFTWARE=lighttpd/1.4.69", "GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET",
            "SCRIPT_NAME=/cgi-bin/tallyhouse.cgi", "REMOTE_ADDR=127.0.0.1", "QUERY_STRING=" + query};
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

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::stoi(argv[1]) : 300;
    const auto folder = std::filesystem::temp_directory_path() / "tallyhouse_bench_add";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string program = (folder / "tallyhouse.cgi").string();
    std::filesystem::copy_file(TALLYHOUSE_CGI, program);

    const auto help = Environment("");
    const auto add = Environment("command=add&question1.pol=yes&backurl=http://127.0.0.1/");
    std::vector<double> helpMs, addMs;
    for (int i = 0; i < runs; ++i) {
        helpMs.push_back(RunOnce(program, help));
        addMs.push_back(RunOnce(program, add));
    }
    const double helpMedian = Median(helpMs);
    const double addMedian = Median(addMs);
    const double extra = addMedian - helpMedian;
    std::printf("%d runs each: help page median %.3f ms, add median %.3f ms, add costs %+.3f ms (%.2fx) %s\n",
                runs, helpMedian, addMedian, extra, addMedian / helpMedian,
                extra <= 1.5 ? "within 1.5 ms" : "MORE THAN 1.5 ms");
    std::filesystem::remove_all(folder);
    return extra <= 1.5 ? 0 : 1;
}
