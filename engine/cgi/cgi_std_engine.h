// The standard CGI engine: the request in environment variables, the body on standard input,
// the response on standard output; in NormalMode the whole request runs when the engine is
// created and the process ends afterwards. The resident CGI server plugs the server modes into
// it through its server hooks.
//
// How an application runs a request through it (the facade does this once it chooses engines):
//     THttpEngineProperties http;            // settings and the request events
//     http.OnExecRequest = [](THttpEngine&) { HttpWrite("<html>...</html>"); };
//     auto engine = TCGIStdEngine::Create(StartedWithoutServer(), http, /*AutoTerminate=*/true);
// Under a CGI server Create serves the request and, with AutoTerminate, ends the process.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/http_engine.h"
#include "engine/core/request_events.h"
#include "engine/form/form_fields.h"
#include "platform/os/system_file.h"

namespace tallyhouse::engine {

class TCGIStdEngine : public THttpEngine {
public:
    // How the resident CGI server plugs into the engine, as it installs them at program start.
    // Without them a server process has nothing to serve and ends, and every request is served
    // as in NormalMode.
    struct TServerHooks {
        // The server process: serves handed-over requests until the server stops.
        std::function<void(TCGIStdEngine& engine)> RunServer;
        // A request in a server mode, or one the server process took: handed over to the server,
        // or served as the mode asks.
        std::function<void(TCGIStdEngine& engine, const std::string& requestFile)> DispatchRequest;
    };
    static TServerHooks& ServerHooks();

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
    void RunServer();

    TRequestEvents requestEvents_;
};

// The standard CGI engine's per-thread request state.
struct TCGIStdRequestState {
    std::unique_ptr<platform::TFileStream> OutputStream;
    std::unique_ptr<platform::TFileStream> InputStream;
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
// No "SERVER_SOFTWARE" and no command-line parameters.
bool StartedWithoutServer();
// True unless running as a library or "CGI_VERSION" names Windows CGI, and when a web server
// started the program ("SERVER_SOFTWARE") or it is the CGI server process.
bool StandardCgiEnvironment();

}  // namespace tallyhouse::engine
