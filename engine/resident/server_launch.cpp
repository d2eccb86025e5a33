// posix_spawn of the server process.
#include "engine/resident/server_launch.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace tallyhouse::engine {

namespace {

void NullStandardHandles(posix_spawn_file_actions_t& actions) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
}

void DetachedAttributes(posix_spawnattr_t& attributes) {
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

bool StartServerProcess(const std::string& programPath) {
    return StartDetachedProgram(programPath, {"START_SERVER"}, CurrentEnvironment());
}

bool StartDetachedProgram(const std::string& programPath, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    NullStandardHandles(actions);
    DetachedAttributes(attributes);
    std::vector<std::string> strings{programPath};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (std::string& text : strings) argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    for (std::string& text : variables) envp.push_back(text.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, programPath.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0;
}

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) variables.emplace_back(*entry);
    return variables;
}

}  // namespace tallyhouse::engine
