#include "engine/cgi/cgi_std_engine.h"

#include <poll.h>
#include <signal.h>

#include <cstdio>

#include "engine/core/cgi_form_data.h"
#include "engine/form/form_fields.h"
#include "platform/text/ascii_text.h"
#include "engine/form/multipart.h"
#include "engine/core/random_number.h"
#include "engine/core/request_state.h"
#include "platform/text/convert.h"
#include "platform/os/system_environment.h"
#include "platform/os/system_module.h"
#include "engine/core/cgi_version.h"
#include "engine/core/cgi_variables.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

TCGIStdEngine* stdEngine = nullptr;

std::string ModuleBaseName() {
    const std::string file = ModuleFileName();
    return file.substr(file.rfind('/') + 1);
}

}  // namespace

TCGIStdRequestState& CgiStdRequest() {
    thread_local TCGIStdRequestState state;
    return state;
}

TCGIStdEngine* StdEngine() { return stdEngine; }

bool StartedWithoutServer() { return CgiEnvironmentVariable("SERVER_SOFTWARE").empty() && ProgramParameters().empty(); }

bool IsServerProcess() {
    static const bool server = [] {
        const std::vector<std::string> parameters = ProgramParameters();
        if (!parameters.empty() && parameters[0] == "START_SERVER") return true;
        return parameters.empty() && CgiEnvironmentVariable("SERVER_SOFTWARE").empty();
    }();
    return server;
}

bool StandardCgiEnvironment() {
    if (IsLibrary() || NamesWindowsCgi(GetEnv("CGI_VERSION"))) return false;
    return !CgiEnvironmentVariable("SERVER_SOFTWARE").empty() || IsServerProcess();
}

TCGIStdEngine::TServerHooks& TCGIStdEngine::ServerHooks() {
    static TServerHooks hooks;
    return hooks;
}

std::unique_ptr<TCGIStdEngine> TCGIStdEngine::Create(bool noServer, const THttpEngineProperties& properties,
                                                     bool autoTerminate) {
    auto engine = std::make_unique<TCGIStdEngine>(noServer, properties, autoTerminate);
    engine->Start();
    return engine;
}

TCGIStdEngine::TCGIStdEngine(bool noServer, const THttpEngineProperties& properties, bool autoTerminate)
    : THttpEngine(properties), NoServer(noServer), AutoTerminate(autoTerminate) {
    if (NoServer) CGIMode = ServerMode;
    stdEngine = this;
}

TCGIStdEngine::~TCGIStdEngine() {
    if (stdEngine == this) stdEngine = nullptr;
}

void TCGIStdEngine::Start() {
    if (!StandardCgiEnvironment()) return;
    MakeCurrent();
    if (IsServerProcess()) {
        RunServer();
        return;
    }
    // A client that goes away must not kill the request before its files are cleaned up.
    signal(SIGPIPE, SIG_IGN);
    TCGIStdRequestState& request = CgiStdRequest();
    if (!request.OutputStream) request.OutputStream = TFileStream::StandardOutput();
    if (!request.InputStream) request.InputStream = TFileStream::StandardInput();
    request.RequestId = NewRequestId();
    DispatchRequest(ModuleFolder() + "/Temp/" + ModuleBaseName() + "_C_" + request.RequestId + "_REQ");
}

void TCGIStdEngine::RunServer() {
    if (ServerHooks().RunServer) ServerHooks().RunServer(*this);
    TerminateProgram();
}

void TCGIStdEngine::DispatchRequest(const std::string& F) {
    CgiStdRequest().RequestFile = F;
    if ((IsServerProcess() || CGIMode != NormalMode) && ServerHooks().DispatchRequest) {
        ServerHooks().DispatchRequest(*this, F);
        return;
    }
    ProcessRequest();
    if (AutoTerminate) TerminateProgram();
}

void TCGIStdEngine::ExecRequest() {
    ObtainFormData();
    // ServerThreadMode runs requests on threads of their own; in NormalMode each request is its
    // process's last.
    requestEvents_.Fire(*this, {.TakeTurns = CGIMode == ServerThreadMode, .LastRequest = CGIMode == NormalMode});
}

void TCGIStdEngine::ObtainFormData() {
    TCGIStdRequestState& request = CgiStdRequest();
    request.Fields = TFormFields(request.InputStream ? ReadCgiFormData(*this) : std::string());
}

void TCGIStdEngine::EndRequest() {
    THttpEngine::EndRequest();
    TCGIStdRequestState& request = CgiStdRequest();
    if (request.OutputStream) request.OutputStream->Flush();
    if (!AutoTerminate) return;
    request.OutputStream.reset();
    request.InputStream.reset();
    if (!IsServerProcess()) TerminateProgram();
}

std::string TCGIStdEngine::GetVariable(const std::string& Name) {
    const std::string key = CgiVariableKey(Name);
    const TCGIStdRequestState& request = CgiStdRequest();
    if (!request.EnvironmentList) return CgiEnvironmentVariable(key);
    const std::string prefix = key + "=";
    for (const std::string& line : *request.EnvironmentList)
        if (UpperCase(std::string_view(line).substr(0, prefix.size())) == prefix) return line.substr(prefix.size());
    return "";
}

std::string TCGIStdEngine::GetField(const std::string& Name, const std::string& Default) {
    return CgiStdRequest().Fields.Find(Name, Default);
}

std::vector<std::string> TCGIStdEngine::GetFieldNames() { return CgiStdRequest().Fields.Names(); }

std::vector<std::string> TCGIStdEngine::GetFieldValues(const std::string& Name) { return CgiStdRequest().Fields.Values(Name); }

int TCGIStdEngine::ReadClient(void* Buffer, int Count) {
    TCGIStdRequestState& request = CgiStdRequest();
    return request.InputStream ? request.InputStream->Read(Buffer, Count) : 0;
}

TCGIRequestThread* TCGIStdEngine::GetRequestThread() { return CgiStdRequest().RequestThread; }

bool TCGIStdEngine::IsActive() { return StandardCgiEnvironment(); }

bool TCGIStdEngine::ClientConnected() {
    const TCGIStdRequestState& request = CgiStdRequest();
    if (!request.OutputStream || request.OutputStream->Handle() != 1) return true;
    pollfd output{1, POLLOUT, 0};
    if (poll(&output, 1, 0) != 1) return true;
    return (output.revents & (POLLERR | POLLHUP)) == 0;
}

void TCGIStdEngine::SendToClient(const char* Data, size_t Count) {
    TCGIStdRequestState& request = CgiStdRequest();
    if (request.OutputStream) request.OutputStream->Write(Data, Count);
}

}  // namespace tallyhouse::engine
