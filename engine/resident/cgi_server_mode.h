// The CGI server modes: one resident server process serves the requests that the
// short-lived processes started by the web server hand over to it through files in Temp/.
// A request process copies its request into a request file and appends a record to the
// server list; the server takes records in order, answers into an output file and removes
// the record; the request process then copies the output to the client.
#pragma once

#include <memory>
#include <string>

#include "engine/resident/server_list.h"

namespace tallyhouse::engine {

class TCGIStdEngine;
class TServerFiles;

// Per-thread hand-over state.
class TServerData {
public:
    TServerData() = default;
    TServerData(const TServerData&) = delete;
    TServerData& operator=(const TServerData&) = delete;
    // Deletes the server list when this process created it.
    ~TServerData();

    bool OwnsServerFile = false;
    std::string RequestName;  // the upper-cased request file name
};

std::unique_ptr<TServerData>& ServerData();

// Serves one handed-over request on a thread of its own; the server joins every such thread
// before it ends.
class TCGIRequestThread {
public:
    static void Start(TCGIStdEngine& engine, const std::string& requestFile);

private:
    explicit TCGIRequestThread(std::string requestFile) : requestFile_(std::move(requestFile)) {}
    void Execute(TCGIStdEngine& engine);

    std::string requestFile_;
};

namespace CgiServer {

// The files of this program's server.
const TServerFiles& Files();

// Run at program start before any form exists: installs the server modes into the standard
// CGI engine, then the server-list checks, then the server's announcement or a request
// process's hand-over (which ends the process when a server answers).
void UnitStartup();
// Hands the standard CGI engine the server process's loop and the server modes' dispatch.
void InstallServerModes();
// Run by the server process when it ends: removes its files.
void UnitEnd();

// Removes a stale server list and, with no server list, leftover request files.
void StartupChecks();
// Makes this process the server: a fresh empty server list that it owns.
void AnnounceServer();
// Server process at start-up: claims the server's mark, then announces; a second server
// started for the same folder ends at once and leaves the files alone.
void BecomeServer();

// Request process: hands the request to a live server. False when there is none.
bool EnqueueRequest();
// Request process: waits for the server's answer and copies it to standard output; ends the
// process in every case.
[[noreturn]] void WaitForServerResponse();
// The state of this thread's request in the server list.
TRequestState RequestState();

// Server: the poll loop, every 50 ms while idle, until the server list goes or the server
// is asked to close.
void RunServer(TCGIStdEngine& engine);
// Server: opens the request's files as this thread's input, output and environment.
void OpenRequestFiles(const std::string& requestFile);
// Server: removes the request's record and deletes its request file.
void MarkRequestDone();
// Server: serves one request from its files, on the calling thread, and then removes its
// record whatever happened, since its request process waits for that.
void ServeRequest(TCGIStdEngine& engine, const std::string& requestFile);
// A request in a server mode: a request process hands it over (or, with no server to take it,
// serves it itself); the server serves it on this thread or, in ServerThreadMode, on one of
// its own.
void DispatchRequest(TCGIStdEngine& engine, const std::string& requestFile);

// Request process in a server mode with no server running: starts one and hands over; when
// no server takes the request after six attempts, the process serves it itself.
[[noreturn]] void StartServerAndHandOver(TCGIStdEngine& engine);

}  // namespace CgiServer

}  // namespace tallyhouse::engine
