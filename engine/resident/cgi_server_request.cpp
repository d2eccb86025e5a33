// The request process's side of the CGI server modes: the checks at start-up, handing the
// request over, waiting for the answer and, when no server runs yet, starting one.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "engine/resident/cgi_server_files.h"
#include "engine/resident/cgi_server_mode.h"
#include "engine/cgi/cgi_std_engine.h"
#include "platform/os/stop_signals.h"
#include "engine/core/engine_log.h"
#include "platform/text/ascii_text.h"
#include "engine/resident/locked_file.h"
#include "engine/resident/request_file.h"
#include "engine/resident/server_launch.h"
#include "engine/resident/server_list.h"
#include "engine/resident/server_mark.h"
#include "engine/resident/server_output.h"
#include "platform/os/exception.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"
#include "engine/core/cgi_version.h"
#include "engine/core/random_number.h"
#include "engine/core/program_end.h"
#include "engine/core/cgi_variables.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int ResponseWaitSeconds = 180;
constexpr int HandOverAttempts = 6;

// A request process has seen the server's mark at least once.
bool serverWindowSeen = false;

long ContentLengthOfRequest() {
    const std::string text = CgiEnvironmentVariable("CONTENT_LENGTH");
    char* end = nullptr;
    errno = 0;
    const long length = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || length < 0) return 0;
    return length;
}

// The server reads no body longer than AutoReadLimit, so one byte more than that is all it can
// use (a body of any size must not fill Temp/). A hand-over at start-up comes before any
// engine: the limit is then the declared one, as the server's is.
long BodyBytesForTheServer() {
    const TCGIStdEngine* engine = StdEngine();
    const int limit = engine ? engine->AutoReadLimit : THttpEngineProperties().AutoReadLimit;
    return std::min(ContentLengthOfRequest(), static_cast<long>(limit) + 1);
}

// Writes this request's file while the server list is held; a failure is logged and the
// record is still written.
std::string WriteThisRequest() {
    TCGIStdRequestState& request = CgiStdRequest();
    request.RequestFile.clear();
    TFileDescriptor fd;
    try {
        request.RequestFile = CreateRequestFile(CgiServer::Files(), fd);
        const std::string name = request.RequestFile.substr(CgiServer::Files().TempPrefix().size());
        request.RequestId = name.substr(3, 4);
        WriteRequestFile(fd.Get(), RequestEnvironment(), 0, BodyBytesForTheServer());
    } catch (const Exception& error) {
        LogEngineMessage(error.Message());
    }
    fd.Reset();
    if (request.RequestFile.empty()) request.RequestFile = CgiServer::Files().RequestFilePath(NewRequestId());
    return request.RequestFile;
}

[[noreturn]] void EndRequestProcess() {
    if (TFileStream* output = CgiStdRequest().OutputStream.get()) output->Flush();
    EndProgram();
}

// Leaves without an answer: the request is taken off the list so that no server serves it
// for nobody.
void WithdrawRequest() {
    const TCGIStdRequestState& request = CgiStdRequest();
    RemoveRequestRecords(CgiServer::Files().ServerListPath(), request.RequestFile);
    DeleteFileIfExists(request.RequestFile);
}

// Copies the output file to the client; false when the server left none.
bool DeliverOutput() {
    const std::string output = TServerFiles::OutputFilePath(CgiStdRequest().RequestFile);
    std::unique_ptr<TFileStream> file;
    try {
        file = TFileStream::Open(output, O_RDONLY);
    } catch (const Exception&) {
        return false;
    }
    TFileStream* client = CgiStdRequest().OutputStream.get();
    CopyServerOutput(file->Handle(), [&](const char* data, std::size_t size) {
        if (client) client->Write(data, size);
    });
    file.reset();
    DeleteFileIfExists(output);
    return true;
}

[[noreturn]] void ServerAborted(bool dropServerList) {
    if (dropServerList) DeleteFileIfExists(CgiServer::Files().ServerListPath());
    DeleteFileIfExists(CgiStdRequest().RequestFile);
    LogEngineMessage("CGI server aborted");
    EndRequestProcess();
}

bool ServerDeadOrStale(TRequestState state, bool window) {
    if (!window && serverWindowSeen) return true;
    return state != TRequestState::Done && FileAgeSeconds(CgiServer::Files().ServerListPath()) > StaleServerListSeconds;
}

}  // namespace

namespace CgiServer {

const TServerFiles& Files() {
    static const TServerFiles files(ModuleFileName());
    return files;
}

void StartupChecks() {
    const std::string list = Files().ServerListPath();
    if (!TServerMark::WindowExists(Files().ServerMarkPath()) && FileExists(list) &&
        FileAgeSeconds(list) > StaleServerListSeconds) {
        DeleteFileIfExists(list);
        SleepMilliseconds(300);
    }
    if (!FileExists(list)) Files().DeleteFilesStartingWith("_C_", true);
}

void UnitStartup() {
    InstallServerModes();
    ServerData() = std::make_unique<TServerData>();
    if (!StandardCgiEnvironment()) return;
    StartupChecks();
    if (IsServerProcess()) {
        BecomeServer();
        return;
    }
    // A client that goes away must not end the process before its files are cleaned up.
    signal(SIGPIPE, SIG_IGN);
    TCGIStdRequestState& request = CgiStdRequest();
    request.OutputStream = TFileStream::StandardOutput();
    request.InputStream = TFileStream::StandardInput();
    if (EnqueueRequest()) WaitForServerResponse();
}

bool EnqueueRequest() {
    if (CgiEnvironmentVariable("SERVER_SOFTWARE").empty()) return false;
    if (NamesWindowsCgi(CgiEnvironmentVariable("CGI_VERSION"))) return false;
    const std::string list = Files().ServerListPath();
    // A name cut short in its record would never be found again: such a request stays here.
    if (!Files().NamesFitRecords()) return false;
    // Only a server that has announced itself keeps the records it is given.
    if (!FileExists(list) || !TServerMark::WindowExists(Files().ServerMarkPath())) return false;
    ServerData()->OwnsServerFile = false;
    if (!AppendRequestRecord(list, WriteThisRequest)) return false;
    ServerData()->RequestName = UpperCase(CgiStdRequest().RequestFile);
    return true;
}

TRequestState RequestState() { return ReadRequestState(Files().ServerListPath(), ServerData()->RequestName); }

void WaitForServerResponse() {
    CatchStopSignals();
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(ResponseWaitSeconds)) {
        if (StopRequested()) break;
        const bool window = TServerMark::WindowExists(Files().ServerMarkPath());
        const TRequestState state = RequestState();
        if (state == TRequestState::Done) {
            if (!DeliverOutput()) ServerAborted(false);
            EndRequestProcess();
        }
        if (state == TRequestState::NoServerList || state == TRequestState::Unreadable) ServerAborted(false);
        if (ServerDeadOrStale(state, window)) ServerAborted(true);
        serverWindowSeen = serverWindowSeen || window;
        SleepMilliseconds(100);
    }
    WithdrawRequest();
    EndRequestProcess();
}

void StartServerAndHandOver(TCGIStdEngine& engine) {
    try {
        if (!Files().NamesFitRecords()) {
            engine.LogError("Folder path too long for the CGI server; request served without it");
            engine.ProcessRequest();
            engine.TerminateProgram();
        }
        CreateServerListIfMissing(Files().ServerListPath());
        if (!StartServerProcess(ModuleFileName())) engine.LogError("Can not start the CGI server");
        for (int attempt = 0; attempt < HandOverAttempts; ++attempt) {
            SleepMilliseconds(500);
            if (EnqueueRequest()) WaitForServerResponse();
        }
        // The request has not left this process, so it is answered here rather than lost.
        engine.LogError("CGI server did not start; request served without it");
        engine.ProcessRequest();
    } catch (const std::exception& error) {
        engine.LogError(error.what());
    }
    engine.EndProcess();
}

}  // namespace CgiServer

}  // namespace tallyhouse::engine
