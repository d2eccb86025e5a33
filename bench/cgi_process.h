// Shared by the benchmarks that time whole CGI processes: the environment a web server gives the
// program, one run of it with its wall and CPU time, and the median of samples.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

// What lighttpd hands a CGI program for a GET with this query.
inline std::vector<std::string> CgiEnvironment(const std::string& query) {
    return {"SERVER_SOFTWARE=lighttpd/1.4.69", "GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET",
            "SCRIPT_NAME=/cgi-bin/tallyhouse.cgi", "REMOTE_ADDR=127.0.0.1", "QUERY_STRING=" + query};
}

struct TRunTimes {
    double wallMs = -1;
    double cpuMs = -1;  // user and system time of the child
};

// Runs the program once, standard input and error on /dev/null and standard output into the
// file at out; -1 for both times when it could not be started.
inline TRunTimes RunProcess(const std::string& program, const std::vector<std::string>& env,
                            const char* out = "/dev/null") {
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace bench
