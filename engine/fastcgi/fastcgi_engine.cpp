#include "engine/fastcgi/fastcgi_engine.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/cgi_form_data.h"
#include "engine/core/program_end.h"
#include "engine/fastcgi/fastcgi_pool.h"
#include "engine/fastcgi/fastcgi_socket.h"
#include "engine/fastcgi/fastcgi_start.h"
#include "engine/fastcgi/fastcgi_worker.h"
#include "engine/form/form_fields.h"
#include "engine/settings/operator_settings.h"
#include "engine/core/cgi_variables.h"
#include "platform/os/exception.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr int kStartRefused = 2;

}  // namespace

TFastCgiRequestState& FastCgiRequest() {
    thread_local TFastCgiRequestState state;
    return state;
}

std::unique_ptr<TFastCGIEngine> TFastCGIEngine::Create(const THttpEngineProperties& properties, bool autoTerminate) {
    auto engine = std::make_unique<TFastCGIEngine>(properties, autoTerminate);
    if (!engine->IsActive()) return engine;
    engine->MakeCurrent();
    try {
        engine->Serve();
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        engine->LogError(error.what());
        EndProgram(kStartRefused);
    }
    if (engine->AutoTerminate) engine->TerminateProgram();
    return engine;
}

TFastCGIEngine::TFastCGIEngine(const THttpEngineProperties& properties, bool autoTerminate)
    : THttpEngine(properties), AutoTerminate(autoTerminate), stored_(properties), active_(IsFastCgiStart()) {}

TFastCGIEngine::~TFastCGIEngine() = default;

// Started by a FastCGI server: its socket is standard input and it runs as many processes as it
// wants. Started by hand: this process opens the socket and keeps the workers. Either way a bad
// setting refuses the start, before any worker could answer with it.
void TFastCGIEngine::Serve() {
    OperatorSettings();
    if (StandardInputIsListeningSocket()) {
        ServeSocket(0);
        return;
    }
    const TFastCgiStart start = ParseFastCgiStart(ProgramParameters(), OperatorSettings().FastCgiWorkers);
    TFastCgiSocket socket(start.Address);
    TWorkerPoolHooks hooks;
    // A worker ends in the pool, which ends its process: nothing of this process's stack
    // (the socket, the application) is taken down in a worker.
    hooks.Work = [this, &socket] {
        ServeSocket(socket.Handle());
        return 0;
    };
    hooks.OnStop = [&socket] { socket.RemoveName(); };
    hooks.Log = [this](const std::string& message) { LogError(message); };
    TWorkerPool(start.Workers, std::move(hooks)).Run();
}

void TFastCGIEngine::ServeSocket(int listenFd) {
    TFastCgiService service;
    service.Limits.BodyBytes = static_cast<size_t>(std::max(stored_.AutoReadLimit, 0));
    service.Limits.Connections = FastCgiWorkerConnections;
    service.Serve = [this](TFastCgiConnection& connection) { ServeRequest(connection); };
    service.Log = [this](const std::string& message) { LogError(message); };
    ServeConnections(listenFd, service);
}

void TFastCGIEngine::ServeRequest(TFastCgiConnection& connection) {
    static_cast<THttpEngineProperties&>(*this) = stored_;
    TFastCgiRequestState& state = FastCgiRequest();
    state.Connection = &connection;
    state.Fields = TFormFields();
    try {
        ProcessRequest();
    } catch (const std::exception& error) {
        // Ending a request (deleting its uploads) failed: the worker goes on with the next.
        LogError("Unhandled exception : " + std::string(error.what()));
    }
    state.Connection = nullptr;
    state.Fields = TFormFields();
}

void TFastCGIEngine::ExecRequest() {
    FastCgiRequest().Fields = TFormFields(ReadCgiFormData(*this));
    // A worker process serves one request at a time; the first request is each worker's own.
    requestEvents_.Fire(*this, {});
}

// The parameters are the CGI variables, named and read as the standard CGI engine names them.
std::string TFastCGIEngine::GetVariable(const std::string& Name) {
    const std::string key = CgiVariableKey(Name);
    const TFastCgiConnection* connection = FastCgiRequest().Connection;
    const std::string* found = connection ? connection->Request().Param(key) : nullptr;
    return CgiVariableValue(key, found ? *found : "");
}

std::string TFastCGIEngine::GetField(const std::string& Name, const std::string& Default) {
    return FastCgiRequest().Fields.Find(Name, Default);
}

std::vector<std::string> TFastCGIEngine::GetFieldNames() { return FastCgiRequest().Fields.Names(); }

std::vector<std::string> TFastCGIEngine::GetFieldValues(const std::string& Name) {
    return FastCgiRequest().Fields.Values(Name);
}

// The body is here as a whole before the request is served: fewer bytes only where it ends.
int TFastCGIEngine::ReadClient(void* Buffer, int Count) {
    TFastCgiConnection* connection = FastCgiRequest().Connection;
    return connection ? connection->ReadBody(Buffer, Count) : 0;
}

// The web server writes the status line; another status than 200 goes to it as "Status:".
void TFastCGIEngine::WriteStatusLine() { WriteStatusHeader(); }

bool TFastCGIEngine::ClientConnected() {
    const TFastCgiConnection* connection = FastCgiRequest().Connection;
    return !connection || connection->PeerConnected();
}

bool TFastCGIEngine::IsActive() { return active_; }

void TFastCGIEngine::SendToClient(const char* Data, size_t Count) {
    if (TFastCgiConnection* connection = FastCgiRequest().Connection) connection->Send(Data, Count);
}

}  // namespace tallyhouse::engine
