// The resident Windows CGI server: it claims the server's mark, makes the queue anew, and every
// 60 ms while idle takes the next waiting record and serves its request file, on the polling
// thread (ServerMode) or on a thread of its own (ServerThreadMode).
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/resident/cgi_server_files.h"
#include "engine/resident/cgi_server_mode.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "engine/wincgi/cgi_win_server.h"
#include "engine/resident/close_signals.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_mark.h"
#include "platform/system_file.h"

namespace {

constexpr int QueueRecreatePauseMilliseconds = 200;

std::string QueuePath() { return CgiServer::Files().ServerListPath(); }

std::mutex threadsLock;
std::condition_variable threadsDone;
int runningThreads = 0;

// Serves one queued request file and then removes its record whatever happened, since its
// request process waits for that.
void ServeQueued(TCGIWinEngine& engine, const std::string& requestFile, const std::string& recordName) {
    try {
        engine.ProcessRequestFile(requestFile);
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
    try {
        CgiWinServer::MarkRequestDone(recordName);
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
}

void StartRequestThread(TCGIWinEngine& engine, const std::string& requestFile, const std::string& recordName) {
    {
        std::lock_guard<std::mutex> lock(threadsLock);
        ++runningThreads;
    }
    std::thread([&engine, requestFile, recordName] {
        ServeQueued(engine, requestFile, recordName);
        std::lock_guard<std::mutex> lock(threadsLock);
        --runningThreads;
        threadsDone.notify_all();
    }).detach();
}

void WaitForRequestThreads() {
    std::unique_lock<std::mutex> lock(threadsLock);
    threadsDone.wait_for(lock, std::chrono::seconds(CgiWinServer::WaitSeconds), [] { return runningThreads == 0; });
}

// One tick of the timer: false once polling has stopped for good (a standard CGI record).
bool PollQueue(TCGIWinEngine& engine, bool& served) {
    served = false;
    const auto record = TakeNextRecord(QueuePath(), CgiWinServer::IsWinRequestName);
    if (!record) return true;
    if (!CgiWinServer::IsWinRequestName(record->RequestName)) return false;
    served = true;
    try {
        const std::string file = CgiWinServer::FindFileIgnoringCase(record->RequestName);
        if (file.empty()) {
            engine.LogError("Queued request file not found: " + record->RequestName);
            CgiWinServer::MarkRequestDone(record->RequestName);
        } else if (engine.CGIMode == ServerThreadMode) {
            StartRequestThread(engine, file, record->RequestName);
        } else {
            ServeQueued(engine, file, record->RequestName);
        }
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
    return true;
}

bool MakeQueue(TCGIWinEngine& engine) {
    const std::string queue = QueuePath();
    if (FileExists(queue)) {
        DeleteFileIfExists(queue);
        SleepMilliseconds(QueueRecreatePauseMilliseconds);
    }
    if (CreateEmptyServerList(queue)) return true;
    engine.LogError("Can not create file " + queue);
    return false;
}

}  // namespace

namespace CgiWinServer {

void MarkRequestDone(const std::string& requestFile) { RemoveRequestRecords(QueuePath(), requestFile); }

void RunResidentServer(TCGIWinEngine& engine) {
    static TServerMark mark;
    // A second server started for the same folder leaves the running one alone.
    if (!mark.ClaimServer(CgiServer::Files().ServerMarkPath())) std::exit(0);
    InstallCloseSignals();
    if (MakeQueue(engine) && mark.ShowWindow()) {
        bool served = false;
        while (!CloseRequested() && PollQueue(engine, served) && FileExists(QueuePath()))
            if (!served) SleepMilliseconds(TimerMilliseconds);
    }
    WaitForRequestThreads();
    // Like the standard CGI server: the queue, the mark and every other file of ours go.
    CgiServer::Files().DeleteFilesStartingWith("_", false);
    engine.TerminateProgram();
    std::exit(0);
}

}  // namespace CgiWinServer
