#include "engine/fastcgi/fastcgi_engine.h"

#include <algorithm>
#include <cstdio>

#include "engine/cgi/cgi_form_data.h"
#include "engine/cgi/cgi_std_engine.h"
#include "engine/core/program_end.h"
#include "engine/fastcgi/fastcgi_pool.h"
#include "engine/fastcgi/fastcgi_socket.h"
#include "engine/fastcgi/fastcgi_start.h"
#include "engine/fastcgi/fastcgi_worker.h"
#include "engine/form/form_fields.h"
#include "engine/settings/operator_settings.h"
#include "platform/exception.h"
#include "platform/system_module.h"

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
    const TFastCgiStart start = ParseFastCgiStart(ProgramParameters());
    TFastCgiSocket socket(start.Address);
    TWorkerPoolHooks hooks;
    hooks.Work = [this, &socket] {
        ServeSocket(socket.Handle());
        if (AutoTerminate) TerminateProgram();
    };
    hooks.OnStop = [&socket] { socket.RemoveName(); };
    hooks.Log = [this](const std::string& message) { LogError(message); };
    TWorkerPool(start.Workers, std::move(hooks)).Run();
}

void TFastCGIEngine::ServeSocket(int listenFd) {
    ServeConnections(listenFd, [this](FCGX_Request& request) { ServeRequest(request); });
}

void TFastCGIEngine::ServeRequest(FCGX_Request& request) {
    static_cast<THttpEngineProperties&>(*this) = stored_;
    TFastCgiRequestState& state = FastCgiRequest();
    state.Request = &request;
    state.Fields = TFormFields();
    try {
        ProcessRequest();
    } catch (const std::exception& error) {
        // Ending a request (deleting its uploads) failed: the worker goes on with the next.
        LogError("Unhandled exception : " + std::string(error.what()));
    }
    state.Request = nullptr;
    state.Fields = TFormFields();
}

void TFastCGIEngine::ExecRequest() {
    FastCgiRequest().Fields = TFormFields(ReadCgiFormData(*this));
    if (OnFirstExecRequest && firstRequestPending_) OnFirstExecRequest(*this);
    firstRequestPending_ = false;
    if (OnExecRequest) OnExecRequest(*this);
}

// The parameters are the CGI variables, named and read as the standard CGI engine names them.
std::string TFastCGIEngine::GetVariable(const std::string& Name) {
    const std::string key = CgiVariableKey(Name);
    const FCGX_Request* request = FastCgiRequest().Request;
    const char* found = request ? FCGX_GetParam(key.c_str(), request->envp) : nullptr;
    return CgiVariableValue(key, found ? found : "");
}

std::string TFastCGIEngine::GetField(const std::string& Name, const std::string& Default) {
    return FastCgiRequest().Fields.Find(Name, Default);
}

std::vector<std::string> TFastCGIEngine::GetFieldNames() { return FastCgiRequest().Fields.Names(); }

std::vector<std::string> TFastCGIEngine::GetFieldValues(const std::string& Name) {
    return FastCgiRequest().Fields.Values(Name);
}

int TFastCGIEngine::ReadClient(void* Buffer, int Count) {
    FCGX_Request* request = FastCgiRequest().Request;
    if (!request || Count <= 0) return 0;
    const int got = FCGX_GetStr(static_cast<char*>(Buffer), Count, request->in);
    // As standard input reads: fewer bytes only where the body ends, -1 when reading failed.
    return got < Count && FCGX_GetError(request->in) != 0 ? -1 : got;
}

// The web server writes the status line; another status than 200 goes to it as "Status:".
void TFastCGIEngine::WriteStatusLine() { WriteStatusHeader(); }

bool TFastCGIEngine::IsActive() { return active_; }

void TFastCGIEngine::SendToClient(const char* Data, size_t Count) {
    FCGX_Request* request = FastCgiRequest().Request;
    if (!request) return;
    while (Count > 0) {
        const int piece = static_cast<int>(std::min<size_t>(Count, 1 << 20));
        if (FCGX_PutStr(Data, piece, request->out) != piece) return;
        Data += piece;
        Count -= static_cast<size_t>(piece);
    }
}
