#include "engine/fastcgi/fastcgi_pool.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>

#include "engine/core/program_end.h"
#include "platform/os/stop_signals.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int kWorkerFailed = 1;

// A worker that ends this soon after its start, when the one before it did so too, is replaced
// only after the same pause, so a worker that cannot start does not make the pool spin.
constexpr std::chrono::seconds kQuickDeath{1};

std::string HowItEnded(int status) {
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "ended with exit code " + std::to_string(WEXITSTATUS(status));
}

timespec AsTimespec(std::chrono::nanoseconds wait) {
    wait = std::max(wait, std::chrono::nanoseconds(0));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>((wait - seconds).count())};
}

}  // namespace

TWorkerPool::TWorkerPool(int workers, TWorkerPoolHooks hooks) : size_(workers), hooks_(std::move(hooks)) {}

void TWorkerPool::Run() {
    pool_ = getpid();
    signals_ = StopSignalSet();
    sigaddset(&signals_, SIGCHLD);
    sigprocmask(SIG_BLOCK, &signals_, &previous_);
    for (int i = 0; i < size_; ++i) Spawn();
    for (;;) {
        const timespec wait = UntilNextEvent();
        const int signal = sigtimedwait(&signals_, nullptr, &wait);
        if (signal > 0 && IsStopSignal(signal)) break;
        Reap(true);
        SpawnDue();
    }
    if (hooks_.OnStop) hooks_.OnStop();
    // The stop signals stay blocked: one more while the process ends changes nothing.
    StopWorkers();
}

void TWorkerPool::Spawn() {
    const pid_t pid = fork();
    if (pid < 0) {
        replacements_.push_back(Clock::now() + kQuickDeath);
        return;
    }
    if (pid > 0) {
        workers_[pid] = Clock::now();
        return;
    }
    RunWorker();
}

void TWorkerPool::RunWorker() {
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
    // A worker never outlives its pool, even one killed with SIGKILL.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != pool_) _exit(0);
    int exitCode = kWorkerFailed;
    try {
        exitCode = hooks_.Work ? hooks_.Work() : 0;
    } catch (const std::exception& error) {
        if (hooks_.Log) hooks_.Log("FastCGI worker " + std::to_string(getpid()) + " failed: " + error.what());
    } catch (const TProgramEnd& end) {
        exitCode = end.exitCode;
    }
    // The log is written straight to its file; only the C streams hold anything back.
    std::fflush(nullptr);
    _exit(exitCode);
}

void TWorkerPool::SpawnDue() {
    const Clock::time_point now = Clock::now();
    const auto due = std::partition(replacements_.begin(), replacements_.end(),
                                    [now](Clock::time_point at) { return at > now; });
    const auto count = std::distance(due, replacements_.end());
    replacements_.erase(due, replacements_.end());
    for (long i = 0; i < count; ++i) Spawn();
}

void TWorkerPool::Reap(bool running) {
    int status = 0;
    pid_t pid = 0;
    while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
        const auto worker = workers_.find(pid);
        if (worker == workers_.end()) continue;
        const Clock::time_point started = worker->second;
        workers_.erase(worker);
        if (!running) continue;
        if (hooks_.Log)
            hooks_.Log("FastCGI worker " + std::to_string(pid) + " " + HowItEnded(status) + "; a new one takes its place");
        const Clock::time_point now = Clock::now();
        quickDeaths_ = now - started < kQuickDeath ? quickDeaths_ + 1 : 0;
        replacements_.push_back(quickDeaths_ > 1 ? now + kQuickDeath : now);
    }
}

timespec TWorkerPool::UntilNextEvent() const {
    std::chrono::nanoseconds wait = std::chrono::seconds(1);
    const Clock::time_point now = Clock::now();
    for (const Clock::time_point at : replacements_) wait = std::min<std::chrono::nanoseconds>(wait, at - now);
    return AsTimespec(wait);
}

void TWorkerPool::StopWorkers() {
    for (const auto& [pid, started] : workers_) kill(pid, SIGTERM);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(WorkerStopSeconds);
    sigset_t children;
    sigemptyset(&children);
    sigaddset(&children, SIGCHLD);
    while (!workers_.empty() && Clock::now() < deadline) {
        const timespec wait = AsTimespec(std::min<std::chrono::nanoseconds>(std::chrono::seconds(1), deadline - Clock::now()));
        sigtimedwait(&children, nullptr, &wait);
        Reap(false);
    }
    for (const auto& [pid, started] : workers_) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    workers_.clear();
}

}  // namespace tallyhouse::engine
