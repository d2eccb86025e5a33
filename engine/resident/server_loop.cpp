#include "engine/resident/server_loop.h"

#include <list>
#include <mutex>
#include <thread>

#include "engine/core/program_end.h"
#include "engine/resident/cgi_server_files.h"
#include "engine/resident/cgi_server_mode.h"
#include "platform/os/stop_signals.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/server_mark.h"
#include "platform/os/system_file.h"
#include "platform/os/system_time.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

// The request threads of the server: each is joined, when a later one starts after it ended
// or when the server stops, so none outlives what it serves with. Start and JoinAll are called
// by the polling thread only.
class TRequestThreads {
public:
    void Start(std::function<void()> work) {
        std::lock_guard<std::mutex> guard(lock_);
        // The locale is set before the first request thread starts: request threads only read it.
        UseHostTimeLocale();
        JoinFinished();
        TEntry& entry = entries_.emplace_back();
        entry.Thread = std::thread([this, &entry, work = std::move(work)] {
            work();
            std::lock_guard<std::mutex> done(lock_);
            entry.Finished = true;
        });
    }

    void JoinAll() {
        std::unique_lock<std::mutex> guard(lock_);
        while (!entries_.empty()) {
            std::thread& thread = entries_.front().Thread;
            guard.unlock();
            thread.join();
            guard.lock();
            entries_.pop_front();
        }
    }

private:
    struct TEntry {
        std::thread Thread;
        bool Finished = false;
    };

    // Called with the lock held; a finished thread has only its last lines left to run.
    void JoinFinished() {
        for (auto entry = entries_.begin(); entry != entries_.end();) {
            if (!entry->Finished) {
                ++entry;
                continue;
            }
            entry->Thread.join();
            entry = entries_.erase(entry);
        }
    }

    std::mutex lock_;
    std::list<TEntry> entries_;
};

TRequestThreads& RequestThreads() {
    static TRequestThreads threads;
    return threads;
}

}  // namespace

namespace ResidentServer {

TServerMark& Mark() {
    static TServerMark mark;
    return mark;
}

void ClaimMarkOrEnd() {
    if (!Mark().ClaimServer(CgiServer::Files().ServerMarkPath())) EndProgram();
}

void ServeUntilStopped(int idleMilliseconds, const std::function<TPollResult()>& poll) {
    const std::string list = CgiServer::Files().ServerListPath();
    while (!StopRequested()) {
        const TPollResult result = poll();
        if (result == TPollResult::Stop || !FileExists(list)) break;
        if (result == TPollResult::Idle) SleepMilliseconds(idleMilliseconds);
    }
    JoinRequestThreads();
}

void StartRequestThread(std::function<void()> work) { RequestThreads().Start(std::move(work)); }

void JoinRequestThreads() { RequestThreads().JoinAll(); }

void RemoveServerFiles() { CgiServer::Files().DeleteFilesStartingWith("_", false); }

}  // namespace ResidentServer

}  // namespace tallyhouse::engine
