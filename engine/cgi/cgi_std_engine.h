// The standard CGI engine: the request in environment variables, the body on standard input,
// the response on standard output; in NormalMode the whole request runs when the engine is
// created and the process ends afterwards. The CGI server modes extend DispatchRequest and
// the set-up of the server process (engine/cgi_server_mode.cpp).
//
// How an application runs a request through it (the facade does this once it chooses engines):
//     THttpEngineProperties http;            // settings and the request events
//     http.OnExecRequest = [](THttpEngine&) { HttpWrite("<html>...</html>"); };
//     auto engine = TCGIStdEngine::Create(StartedWithoutServer(), http, /*AutoTerminate=*/true);
// Under a CGI server Create serves the request and, with AutoTerminate, ends the process.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/http_engine.h"
#include "engine/form/form_fields.h"
#include "platform/os/system_file.h"

class TCGIStdEngine : public THttpEngine {
public:
    // Creates the engine and, in a CGI environment, makes it current and dispatches the request.
    static std::unique_ptr<TCGIStdEngine> Create(bool noServer, const THttpEngineProperties& properties,
                                                 bool autoTerminate);
    // Stores the settings only (CGIMode becomes ServerMode when NoServer).
    TCGIStdEngine(bool noServer, const THttpEngineProperties& properties, bool autoTerminate);
    ~TCGIStdEngine() override;

    bool NoServer;
    bool AutoTerminate;

    void ExecRequest() override;
    void EndRequest() override;
    std::string GetVariable(const std::string& Name) override;
    std::string GetField(const std::string& Name, const std::string& Default) override;
    std::vector<std::string> GetFieldNames() override;
    std::vector<std::string> GetFieldValues(const std::string& Name) override;
    int ReadClient(void* Buffer, int Count) override;
    TCGIRequestThread* GetRequestThread() override;
    bool IsActive() override;

    // Serves the request whose file name is F (the name only matters in the server modes).
    void DispatchRequest(const std::string& F);

protected:
    void SendToClient(const char* Data, size_t Count) override;
    // The response goes to standard output: false once its reader (the web server's end of the
    // pipe or socket) has closed it.
    bool ClientConnected() override;

private:
    void Start();
    void ObtainFormData();
    void FireRequestEvents();
    // The CGI server modes (engine/cgi_server_mode.cpp).
    void SetUpServer();
    void DispatchServerRequest(const std::string& F);

    std::atomic<bool> firstRequestPending_{true};
};

// The standard CGI engine's per-thread request state.
struct TCGIStdRequestState {
    std::unique_ptr<TFileStream> OutputStream;
    std::unique_ptr<TFileStream> InputStream;
    TFormFields Fields;
    std::string RequestFile;
    // The request's environment lines when it came from a request file; none in NormalMode.
    std::optional<std::vector<std::string>> EnvironmentList;
    std::string RequestId;
    TCGIRequestThread* RequestThread = nullptr;
};

TCGIStdRequestState& CgiStdRequest();

// This process is the resident CGI server: started with no "SERVER_SOFTWARE" and no
// parameters, or with "START_SERVER" as its first parameter.
bool IsServerProcess();
// The one standard CGI engine object of the process (none before it is created).
TCGIStdEngine* StdEngine();
// An environment variable as the CGI engines read it: missing is empty, and a
// "SERVER_SOFTWARE" value containing "ZB" reads as empty.
std::string CgiEnvironmentVariable(const std::string& Name);
// The rule for "SERVER_SOFTWARE" above, for a value read elsewhere (a FastCGI request).
std::string CgiVariableValue(const std::string& key, std::string value);
// The name a variable is read under: upper case, blanks as underscores, and "EXECUTABLE PATH"
// as "SCRIPT_NAME".
std::string CgiVariableKey(const std::string& Name);
// No "SERVER_SOFTWARE" and no command-line parameters.
bool StartedWithoutServer();
// True unless running as a library or "CGI_VERSION" names Windows CGI, and when a web server
// started the program ("SERVER_SOFTWARE") or it is the CGI server process.
bool StandardCgiEnvironment();
