// The resident Windows CGI server: it claims the server's mark, makes the queue anew, and every
// 60 ms while idle takes the next waiting record and serves its request file, on the polling
// thread (ServerMode) or on a thread of its own (ServerThreadMode).
#include "engine/resident/cgi_server_files.h"
#include "engine/resident/cgi_server_mode.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "engine/wincgi/cgi_win_server.h"
#include "platform/os/stop_signals.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_loop.h"
#include "engine/resident/server_mark.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int QueueRecreatePauseMilliseconds = 200;

std::string QueuePath() { return CgiServer::Files().ServerListPath(); }

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


// One tick of the timer: a standard CGI record stops polling for good.
ResidentServer::TPollResult PollQueue(TCGIWinEngine& engine) {
    const auto record = TakeNextRecord(QueuePath(), CgiWinServer::IsWinRequestName);
    if (!record) return ResidentServer::TPollResult::Idle;
    if (!CgiWinServer::IsWinRequestName(record->RequestName)) return ResidentServer::TPollResult::Stop;
    try {
        const std::string file = CgiWinServer::FindFileIgnoringCase(record->RequestName);
        if (file.empty()) {
            engine.LogError("Queued request file not found: " + record->RequestName);
            CgiWinServer::MarkRequestDone(record->RequestName);
        } else if (engine.CGIMode == ServerThreadMode) {
            ResidentServer::StartRequestThread(
                [&engine, file, name = record->RequestName] { ServeQueued(engine, file, name); });
        } else {
            ServeQueued(engine, file, record->RequestName);
        }
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
    return ResidentServer::TPollResult::Served;
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
    // A second server started for the same folder leaves the running one alone.
    ResidentServer::ClaimMarkOrEnd();
    CatchStopSignals();
    if (MakeQueue(engine) && ResidentServer::Mark().ShowWindow())
        ResidentServer::ServeUntilStopped(TimerMilliseconds, [&engine] { return PollQueue(engine); });
    ResidentServer::JoinRequestThreads();
    // Like the standard CGI server: the queue, the mark and every other file of ours go.
    ResidentServer::RemoveServerFiles();
    engine.EndProcess();
}

}  // namespace CgiWinServer

}  // namespace tallyhouse::engine
