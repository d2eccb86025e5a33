// The NSAPI engine: serves a request handed over by a Netscape-interface web server through the
// server's own functions, bound by name at run time. This program exports no service function,
// so the engine is created but stays inactive.
#pragma once

#include <string>
#include <vector>

#include "engine/core/http_engine.h"
#include "engine/core/request_events.h"
#include "engine/form/form_fields.h"
#include "engine/nsapi/nsapi_types.h"

namespace tallyhouse::engine {

class TNSAPIEngine : public THttpEngine {
public:
    TNSAPIEngine();
    explicit TNSAPIEngine(const THttpEngineProperties& properties);
    ~TNSAPIEngine() override;

    bool IsActive() override;
    void ExecRequest() override;
    void WriteHeader(const std::string& Name, const std::string& Value) override;
    void EndHeader() override;
    int ReadClient(void* Buffer, int Count) override;
    std::string GetVariable(const std::string& Name) override;
    std::string GetField(const std::string& Name, const std::string& Default) override;
    std::vector<std::string> GetFieldNames() override;
    std::vector<std::string> GetFieldValues(const std::string& Name) override;
    TLock* CreateLock() override;
    void Lock(TLock* P) override;
    void Unlock(TLock* P) override;
    void FreeLock(TLock* P) override;

    std::string GetRequestMethod() override;
    std::string GetQueryString() override;
    std::string GetServerProtocol() override;
    std::string GetScriptName() override;
    std::string GetExecutablePath() override;
    std::string GetUserAgent() override;
    std::string GetHttpCookie() override;
    std::string GetContentType() override;
    std::string GetRemoteAddr() override;
    std::string GetRemoteHost() override;
    int GetContentLength() override;

    // Serves one request of the server: its parameter block, session and request.
    void Service(pblock* Parameters, Session* Sn, Request* Rq);

protected:
    void SendToClient(const char* Data, size_t Count) override;

private:
    void ReadFormData();
    std::string FormDataOfRequest();
    std::string ReadBody(int length);

    TRequestEvents requestEvents_;
    bool active_;
};

// The per-thread state of the service call being served.
struct TNsapiRequestState {
    pblock* Parameters = nullptr;
    Session* Sn = nullptr;
    Request* Rq = nullptr;
    TFormFields Fields;
};

TNsapiRequestState& NsapiRequest();

// The one NSAPI engine of the process (none before it is created).
TNSAPIEngine* NsapiEngine();

}  // namespace tallyhouse::engine
