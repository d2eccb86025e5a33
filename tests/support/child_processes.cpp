// Finds this process's children in /proc and ends them by their own ids.
#include "tests/support/child_processes.h"
#include "tests/support/wait_until.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace testsupport {

namespace {

struct ProcessStat {
    pid_t pid = 0;
    char state = '?';
    pid_t parent = 0;
};

// /proc/PID/stat: "pid (command) state ppid ..."; the command may hold blanks and parentheses.
bool ReadStat(const std::filesystem::path& folder, ProcessStat& stat) {
    std::ifstream file(folder / "stat");
    std::string text;
    if (!std::getline(file, text)) return false;
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream rest(text.substr(close + 1));
    stat.pid = static_cast<pid_t>(std::stol(folder.filename().string()));
    return static_cast<bool>(rest >> stat.state >> stat.parent);
}

std::vector<ProcessStat> Children() {
    std::vector<ProcessStat> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        ProcessStat stat;
        if (ReadStat(entry.path(), stat) && stat.parent == getpid()) children.push_back(stat);
    }
    return children;
}

std::string Describe(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string command((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (char& c : command)
        if (c == '\0') c = ' ';
    return std::to_string(pid) + " " + command;
}

std::set<pid_t>& KeptChildren() {
    static std::set<pid_t> kept;
    return kept;
}

// Reaps ended children; the ones still running.
std::vector<pid_t> ReapAndList() {
    std::vector<pid_t> running;
    for (const ProcessStat& child : Children()) {
        if (KeptChildren().contains(child.pid)) continue;
        if (child.state == 'Z' || child.state == 'X') {
            waitpid(child.pid, nullptr, WNOHANG);
            continue;
        }
        running.push_back(child.pid);
    }
    return running;
}

int Milliseconds(double seconds) { return static_cast<int>(seconds * 1000); }

bool GroupGone(pid_t group) {
    while (waitpid(-group, nullptr, WNOHANG) > 0) {
    }
    return kill(-group, 0) != 0 && errno == ESRCH;
}

}  // namespace

void KeepChild(pid_t pid) { KeptChildren().insert(pid); }
void ReleaseChild(pid_t pid) { KeptChildren().erase(pid); }

void AdoptOrphans() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

std::vector<std::string> RunningChildren() {
    std::vector<std::string> running;
    for (pid_t pid : ReapAndList()) running.push_back(Describe(pid));
    return running;
}

std::vector<std::string> EndLeftoverChildren(double graceSeconds) {
    WaitUntil(Milliseconds(graceSeconds), [] { return ReapAndList().empty(); });
    std::vector<std::string> killed;
    // A killed child's own children come to us in turn; a bounded number of rounds.
    for (int round = 0; round < 100; ++round) {
        const std::vector<pid_t> running = ReapAndList();
        if (running.empty()) break;
        for (pid_t pid : running) {
            killed.push_back(Describe(pid));
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    return killed;
}

void StopProcessGroup(pid_t group, double seconds) {
    if (group <= 0) return;
    kill(-group, SIGTERM);
    if (WaitUntil(Milliseconds(seconds), [group] { return GroupGone(group); })) return;
    kill(-group, SIGKILL);
    WaitUntil(Milliseconds(seconds), [group] { return GroupGone(group); });
}

}  // namespace testsupport
