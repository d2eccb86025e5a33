// The resident server's side of the CGI server modes: announcing itself, polling the server
// list, serving each request from its files, one at a time or on threads of their own.
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "engine/resident/cgi_server_files.h"
#include "engine/resident/cgi_server_mode.h"
#include "engine/cgi/cgi_std_engine.h"
#include "platform/os/stop_signals.h"
#include "engine/core/engine_log.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/request_file.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_loop.h"
#include "engine/resident/server_mark.h"
#include "platform/os/exception.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int PollMilliseconds = 50;

using ResidentServer::TPollResult;

// Takes the next record and serves it. A record that does not name a request file ends the
// server.
TPollResult PollRequests(TCGIStdEngine& engine) {
    const auto record = TakeNextRecord(CgiServer::Files().ServerListPath());
    if (!record) return TPollResult::Idle;
    if (!IsRequestName(record->RequestName)) return TPollResult::Stop;
    const std::string file = CgiServer::Files().ResolveRequestName(record->RequestName);
    try {
        if (FileExists(file)) {
            engine.DispatchRequest(file);
        } else {
            CgiStdRequest().RequestFile = file;
            CgiServer::MarkRequestDone();
        }
    } catch (const std::exception&) {
        // One broken request must not stop the server.
    }
    return TPollResult::Served;
}

void CloseRequestStreams() {
    TCGIStdRequestState& request = CgiStdRequest();
    request.OutputStream.reset();
    request.InputStream.reset();
}

}  // namespace

TServerData::~TServerData() {
    if (OwnsServerFile) DeleteFileIfExists(CgiServer::Files().ServerListPath());
}

std::unique_ptr<TServerData>& ServerData() {
    thread_local std::unique_ptr<TServerData> data;
    return data;
}

void TCGIRequestThread::Start(TCGIStdEngine& engine, const std::string& requestFile) {
    const std::shared_ptr<TCGIRequestThread> thread(new TCGIRequestThread(requestFile));
    ResidentServer::StartRequestThread([thread, &engine] { thread->Execute(engine); });
}

void TCGIRequestThread::Execute(TCGIStdEngine& engine) {
    CgiStdRequest().RequestThread = this;
    ServerData() = std::make_unique<TServerData>();
    CgiServer::ServeRequest(engine, requestFile_);
    ServerData().reset();
}

namespace CgiServer {

void AnnounceServer() {
    const std::string list = Files().ServerListPath();
    if (FileExists(list)) {
        DeleteFileIfExists(list);
        SleepMilliseconds(200);
    }
    if (CreateEmptyServerList(list))
        ServerData()->OwnsServerFile = true;
    else
        LogEngineMessage("Can not create file " + list);
    Files().DeleteFilesStartingWith("_C_", true);
}

void BecomeServer() {
    ResidentServer::ClaimMarkOrEnd();
    AnnounceServer();
}

void OpenRequestFiles(const std::string& requestFile) {
    TCGIStdRequestState& request = CgiStdRequest();
    const std::string base = requestFile.substr(0, requestFile.size() - 3);
    request.InputStream = TFileStream::Open(base + "REQ", O_RDONLY);
    request.OutputStream = TFileStream::Open(base + "OUT", O_WRONLY | O_CREAT | O_TRUNC);
    const TRequestFileHead head = ReadRequestFileHead(request.InputStream->Handle());
    request.EnvironmentList = head.Environment;
    lseek(request.InputStream->Handle(), static_cast<off_t>(head.BodyOffset), SEEK_SET);
}

void MarkRequestDone() {
    TCGIStdRequestState& request = CgiStdRequest();
    request.EnvironmentList.reset();
    RemoveRequestRecords(Files().ServerListPath(), request.RequestFile);
    DeleteFileIfExists(request.RequestFile);
}

void ServeRequest(TCGIStdEngine& engine, const std::string& requestFile) {
    CgiStdRequest().RequestFile = requestFile;
    try {
        OpenRequestFiles(requestFile);
        engine.ProcessRequest();
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
    // The request process waits for the record to go, so it goes whatever happened above.
    try {
        CloseRequestStreams();
        MarkRequestDone();
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
}

void RunServer(TCGIStdEngine& engine) {
    CatchStopSignals();
    if (!ResidentServer::Mark().ShowWindow()) {
        engine.LogError("Can not show the CGI server's mark " + Files().ServerMarkPath());
        return;
    }
    ResidentServer::ServeUntilStopped(PollMilliseconds, [&engine] { return PollRequests(engine); });
}

void UnitEnd() {
    ResidentServer::JoinRequestThreads();
    ResidentServer::RemoveServerFiles();
    ServerData().reset();
}

void DispatchRequest(TCGIStdEngine& engine, const std::string& requestFile) {
    if (!IsServerProcess()) StartServerAndHandOver(engine);
    if (engine.CGIMode == ServerThreadMode)
        TCGIRequestThread::Start(engine, requestFile);
    else
        ServeRequest(engine, requestFile);
}

void InstallServerModes() {
    TCGIStdEngine::TServerHooks& hooks = TCGIStdEngine::ServerHooks();
    hooks.RunServer = [](TCGIStdEngine& engine) {
        RunServer(engine);
        UnitEnd();
    };
    hooks.DispatchRequest = DispatchRequest;
}

}  // namespace CgiServer

}  // namespace tallyhouse::engine
