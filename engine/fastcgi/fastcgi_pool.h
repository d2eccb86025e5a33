// The worker processes of an explicit FastCGI start: a fixed number share the listening socket,
// and one that ends while the pool runs is replaced. SIGTERM, SIGINT, SIGHUP or SIGUSR1 to the
// pool's process stop it: every worker is asked to stop (it answers the requests in hand first),
// and the call returns once all have ended.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <signal.h>

namespace tallyhouse::engine {

struct TWorkerPoolHooks {
    // Runs in each new worker process and answers its exit code: the pool ends the process
    // right there, so nothing of the stack the pool was started from is taken down in a worker.
    std::function<int()> Work;
    // Runs in the pool's process once it is asked to stop, before the workers are.
    std::function<void()> OnStop;
    // Reports a worker that ended while the pool ran.
    std::function<void(const std::string&)> Log;
};

// Workers that have not ended this long after SIGTERM are killed.
inline constexpr int WorkerStopSeconds = 60;

class TWorkerPool {
public:
    TWorkerPool(int workers, TWorkerPoolHooks hooks);
    // Runs until a stop signal, then stops the workers.
    void Run();

private:
    using Clock = std::chrono::steady_clock;

    void Spawn();
    [[noreturn]] void RunWorker();
    void SpawnDue();
    // Collects ended workers; while running, schedules a replacement for each.
    void Reap(bool running);
    void StopWorkers();
    timespec UntilNextEvent() const;

    int size_;
    TWorkerPoolHooks hooks_;
    pid_t pool_ = 0;
    sigset_t signals_{};
    sigset_t previous_{};
    std::map<pid_t, Clock::time_point> workers_;  // with the time each started
    std::vector<Clock::time_point> replacements_;  // when each missing worker is started again
    int quickDeaths_ = 0;                          // workers in a row that ended right after their start
};

}  // namespace tallyhouse::engine
