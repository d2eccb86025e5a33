// The FastCGI engine: a resident program answers request after request that a web server sends
// over FastCGI connections (engine/fastcgi/fastcgi_worker.h reads them). A request reads and
// answers exactly as under standard CGI: its parameters are the CGI variables, its body is read
// the same way and within the same limits, and the answer is the same bytes, except that no raw
// status line is written ("Status:" carries a status other than 200).
//
// How it starts: the facade creates it when standard input is a listening socket (a FastCGI
// server or process manager started the program) or when the first parameter is "--fastcgi"
// (engine/fastcgi/fastcgi_start.h); Create then serves until a stop signal and ends the process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/http_engine.h"
#include "engine/core/request_events.h"
#include "engine/form/form_fields.h"

namespace tallyhouse::engine {

class TFastCgiConnection;

class TFastCGIEngine : public THttpEngine {
public:
    // Serves FastCGI requests until asked to stop; with AutoTerminate the process then ends. A
    // start whose parameters cannot be read ends the process with exit code 2 and the usage
    // on standard error.
    static std::unique_ptr<TFastCGIEngine> Create(const THttpEngineProperties& properties, bool autoTerminate);
    TFastCGIEngine(const THttpEngineProperties& properties, bool autoTerminate);
    ~TFastCGIEngine() override;

    bool AutoTerminate;

    // The complete request of a connection: served from the engine's stored settings, so
    // nothing that one request changed reaches the next.
    void ServeRequest(TFastCgiConnection& connection);

    void ExecRequest() override;
    std::string GetVariable(const std::string& Name) override;
    std::string GetField(const std::string& Name, const std::string& Default) override;
    std::vector<std::string> GetFieldNames() override;
    std::vector<std::string> GetFieldValues(const std::string& Name) override;
    int ReadClient(void* Buffer, int Count) override;
    void WriteStatusLine() override;
    // False once the web server has closed the connection (its client went away).
    bool ClientConnected() override;
    bool IsActive() override;

protected:
    void SendToClient(const char* Data, size_t Count) override;

private:
    void Serve();
    void ServeSocket(int listenFd);

    const THttpEngineProperties stored_;
    const bool active_;
    TRequestEvents requestEvents_;
};

// The FastCGI engine's per-thread request state.
struct TFastCgiRequestState {
    TFastCgiConnection* Connection = nullptr;
    TFormFields Fields;
};

TFastCgiRequestState& FastCgiRequest();

}  // namespace tallyhouse::engine
