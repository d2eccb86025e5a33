// The request process's side of the Windows CGI resident server: queuing a request file,
// waiting for the server to answer it and, when none runs yet, starting one.

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "engine/resident/cgi_server_mode.h"
#include "engine/resident/cgi_server_files.h"
#include "engine/cgi/cgi_std_engine.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "engine/wincgi/cgi_win_server.h"
#include "platform/os/stop_signals.h"
#include "engine/core/engine_log.h"
#include "platform/text/ascii_text.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/server_launch.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_mark.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"
#include "engine/core/cgi_version.h"
#include "engine/core/program_end.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace fs = std::filesystem;

namespace {

constexpr int QueueAttempts = 21;
constexpr int QueuePauseMilliseconds = 200;
// How often a waiting request process looks at its record: often, since the server answers
// within one of its 60 ms ticks and the look is one small locked read.
constexpr int WaitPollMilliseconds = 20;

std::string QueuePath() { return CgiServer::Files().ServerListPath(); }
std::string MarkPath() { return CgiServer::Files().ServerMarkPath(); }

// The entry of Folder named Name without regard to case: the exact name when it exists,
// else the one entry that matches; empty when none or several do.
std::string EntryIgnoringCase(const std::string& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(fs::path(folder) / name, error)) return name;
    std::string found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.empty() ? "/" : folder, error)) {
        const std::string candidate = entry.path().filename().string();
        if (UpperCase(candidate) != UpperCase(name)) continue;
        if (!found.empty()) return "";
        found = candidate;
    }
    return found;
}

// The server that serves this request must not be a standard CGI server: the child's
// environment names Windows CGI, so that it starts as a Windows CGI server.
std::vector<std::string> WindowsCgiServerEnvironment() {
    std::vector<std::string> variables;
    bool named = false;
    for (const std::string& variable : CurrentEnvironment()) {
        if (variable.rfind("CGI_VERSION=", 0) == 0) {
            if (!NamesWindowsCgi(variable)) continue;
            named = true;
        }
        variables.push_back(variable);
    }
    if (!named) variables.push_back("CGI_VERSION=CGI/1.3a (Win)");
    return variables;
}

void LogTooLongOnce(const std::string& requestFile) {
    static bool logged = false;
    if (logged) return;
    logged = true;
    LogEngineMessage("Request file path longer than " + std::to_string(TServerRecord::NameSize - 1) +
                     " characters, served without the Windows CGI server: " + requestFile);
}

[[noreturn]] void EndRequestProcess() { EndProgram(); }

}  // namespace

namespace CgiWinServer {

bool IsWinRequestName(const std::string& name) { return !IsRequestName(name); }

bool FitsRecord(const std::string& requestFile) { return requestFile.size() <= TServerRecord::NameSize - 1; }

std::string FindFileIgnoringCase(const std::string& name) {
    if (name.empty() || name[0] != '/') return "";
    std::string path;
    for (const fs::path& part : fs::path(name).relative_path()) {
        const std::string entry = EntryIgnoringCase(path.empty() ? "/" : path, part.string());
        if (entry.empty()) return "";
        path += "/" + entry;
    }
    return FileExists(path) && !DirectoryExists(path) ? path : "";
}

void UnitStartup() {
    if (!WindowsCgiEnvironment() || IsServerProcess()) return;
    const std::string requestFile = RequestFileArgument();
    if (requestFile.empty()) return;
    const std::string queue = QueuePath();
    if (!TServerMark::WindowExists(MarkPath()) && FileAgeSeconds(queue) > StaleServerListSeconds)
        DeleteFileIfExists(queue);
    if (QueueRequest(requestFile)) WaitForResult(requestFile);
}

bool QueueRequest(const std::string& requestFile) {
    const std::string queue = QueuePath();
    if (!FileExists(queue) || !TServerMark::WindowExists(MarkPath())) return false;
    // A name cut short in its record would never be found again: such a request stays here.
    if (!FitsRecord(requestFile)) {
        LogTooLongOnce(requestFile);
        return false;
    }
    CgiServer::Files().DeleteFilesStartingWith("_C", false);
    return AppendRequestRecord(queue, [&] { return requestFile; });
}

void WaitForResult(const std::string& requestFile) {
    CatchStopSignals();
    const std::string queue = QueuePath();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(WaitSeconds)) {
        if (StopRequested()) break;
        const bool window = TServerMark::WindowExists(MarkPath());
        const TRequestState state = ReadRequestState(queue, UpperCase(requestFile));
        if (state == TRequestState::Done) EndRequestProcess();
        if (!window || state == TRequestState::NoServerList || state == TRequestState::Unreadable) {
            LogEngineMessage("Windows CGI server aborted; no answer to " + requestFile);
            EndRequestProcess();
        }
        if (FileAgeSeconds(queue) > StaleServerListSeconds) {
            DeleteFileIfExists(queue);
            LogEngineMessage("Windows CGI server stalled; queue file removed, no answer to " + requestFile);
            EndRequestProcess();
        }
        SleepMilliseconds(WaitPollMilliseconds);
    }
    // Nobody waits any more, so no server is to answer it later.
    RemoveRequestRecords(queue, requestFile);
    if (!StopRequested())
        LogEngineMessage("No answer from the Windows CGI server within " + std::to_string(WaitSeconds) +
                         " seconds to " + requestFile);
    EndRequestProcess();
}

void StartServerAndQueue(TCGIWinEngine& engine, const std::string& requestFile) {
    if (FitsRecord(requestFile)) {
        if (!StartDetachedProgram(ModuleFileName(), {}, WindowsCgiServerEnvironment()))
            engine.LogError("Can not start the Windows CGI server");
        for (int attempt = 0; attempt < QueueAttempts; ++attempt) {
            if (QueueRequest(requestFile)) WaitForResult(requestFile);
            SleepMilliseconds(QueuePauseMilliseconds);
        }
        engine.LogError("Windows CGI server did not start; request served without it");
    } else {
        LogTooLongOnce(requestFile);
    }
    // The request has not left this process, so it is answered here rather than lost.
    engine.ProcessRequestFile(requestFile);
}

}  // namespace CgiWinServer

}  // namespace tallyhouse::engine
