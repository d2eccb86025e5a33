// Latency of a request through the resident CGI server (ServerMode, ServerThreadMode)
// against a plain CGI process (NormalMode), measured in the same run on copies of the built
// program: the median of sequential requests, and of requests sent eight at a time.
// Usage: bench_cgi_server_latency [COUNT [QUERY]]   (default 40 views of the German sample)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Runs one GET request and returns its wall time in milliseconds; the whole response is read.
double TimedRequest(const std::string& program, const std::string& query, const std::string& mode) {
    std::vector<std::string> env = {"SERVER_SOFTWARE=lighttpd/1.4", "GATEWAY_INTERFACE=CGI/1.1",
                                    "REQUEST_METHOD=GET", "QUERY_STRING=" + query, "REMOTE_ADDR=127.0.0.1"};
    if (!mode.empty()) env.push_back("TALLYHOUSE_CGI_MODE=" + mode);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[65536];
    while (!failed && read(out[0], buffer, sizeof buffer) > 0) {
    }
    close(out[0]);
    if (!failed) waitpid(pid, nullptr, 0);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::vector<double> Sequential(const std::string& program, const std::string& query, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) times.push_back(TimedRequest(program, query, ""));
    return times;
}

std::vector<double> EightAtATime(const std::string& program, const std::string& query, int rounds) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::future<double>> running;
        for (int i = 0; i < 8; ++i)
            running.push_back(std::async(std::launch::async, [&] { return TimedRequest(program, query, ""); }));
        for (auto& one : running) times.push_back(one.get());
    }
    return times;
}

struct Folder {
    fs::path path;
    std::string program;
    explicit Folder(const std::string& name) {
        path = fs::temp_directory_path() / ("tallyhouse-bench-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(path);
        fs::create_directories(path);
        fs::copy_file(TALLYHOUSE_CGI, path / "tallyhouse.cgi");
        program = (path / "tallyhouse.cgi").string();
    }
    ~Folder() { fs::remove_all(path); }
};

// The first request in a server mode starts the server; the pid in its mark stops it.
pid_t StartServer(const Folder& folder, const std::string& mode) {
    TimedRequest(folder.program, "", mode);
    std::ifstream mark(folder.path / "Temp" / "tallyhouse.cgi_S.pid");
    pid_t pid = -1;
    mark >> pid;
    return pid;
}

void StopServer(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

void Report(const char* what, double median, double baseline) {
    std::printf("%-34s median %7.1f ms   %5.2f x NormalMode\n", what, median, median / baseline);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 40;
    const std::string query = argc > 2 ? argv[2] : "command=view&filename=testdeutsch";
    // The servers outlive the request processes that start them; this process adopts them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    Folder normal("normal"), server("server"), threads("threads");
    const pid_t serverPid = StartServer(server, "ServerMode");
    const pid_t threadsPid = StartServer(threads, "ServerThreadMode");

    const double normalSeq = Median(Sequential(normal.program, query, count));
    const double serverSeq = Median(Sequential(server.program, query, count));
    const double threadsSeq = Median(Sequential(threads.program, query, count));
    const double normalPar = Median(EightAtATime(normal.program, query, count / 8));
    const double serverPar = Median(EightAtATime(server.program, query, count / 8));
    const double threadsPar = Median(EightAtATime(threads.program, query, count / 8));
    StopServer(serverPid);
    StopServer(threadsPid);

    std::printf("?%s, %d requests one after another\n", query.c_str(), count);
    Report("NormalMode", normalSeq, normalSeq);
    Report("ServerMode", serverSeq, normalSeq);
    Report("ServerThreadMode", threadsSeq, normalSeq);
    std::printf("?%s, eight requests at a time\n", query.c_str());
    Report("NormalMode", normalPar, normalPar);
    Report("ServerMode", serverPar, normalPar);
    Report("ServerThreadMode", threadsPar, normalPar);
    return 0;
}
