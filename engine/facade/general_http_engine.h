// The engine facade: the one engine component an application places on its form. It holds
// the settings and handlers, decides once the form is loaded how the program was started,
// creates the engine that serves that start and forwards to the engine current on the
// calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/http_engine.h"

namespace tallyhouse::engine {

class TCGIStdEngine;
class TCGIWinEngine;
struct THTTP_FILTER_CONTEXT;

using THttpExtensionVersionEvent =
    std::function<void(std::uint32_t& RequestVersion, std::string& RequestDesc, bool& ResultValue)>;
using THttpFilterProcEvent = std::function<void(THTTP_FILTER_CONTEXT& pfc, std::uint32_t NotificationType,
                                                void* pvNotification, std::uint32_t& ResultValue)>;
using THttpFilterVersionEvent =
    std::function<void(std::uint32_t& ServerFilterVersion, std::uint32_t& FilterVersion, std::string& FilterDesc,
                       std::uint32_t& Flags, bool& ResultValue)>;

// How the program was started, as the start-up decision sees it.
struct TStartKind {
    bool IsLibrary = false;
    std::string ServerSoftware;  // "SERVER_SOFTWARE" as the CGI engines read it
    std::string CgiVersion;      // "CGI_VERSION"
    bool HasParameters = false;
    // A FastCGI start, as the installed FastCGI engine recognises it: a FastCGI server's
    // listening socket is standard input, or the first parameter is "--fastcgi".
    bool FastCgi = false;
};

// The engines the start-up creates, in the order it creates them.
struct TEngineChoice {
    bool LibraryEngines = false;  // NSAPI, then ISAPI
    bool StandardCgi = false;
    bool NoServer = false;
    // Windows CGI: always with NoServer, otherwise only when the standard engine did not
    // become current.
    bool WindowsCgi = false;
    bool WindowsCgiIfNoneCurrent = false;
    // FastCGI alone: the process serves requests over FastCGI connections, no CGI request.
    bool FastCgi = false;
};

TStartKind CurrentStartKind();
TEngineChoice ChooseEngines(const TStartKind& start);

class TGeneralHttpComponent {
public:
    virtual ~TGeneralHttpComponent() = default;
};

class TGeneralHttpEngine : public TGeneralHttpComponent {
public:
    // The engines that later builds add: each creates and owns its engine for the facade.
    struct TEngineFactories {
        std::function<void(TGeneralHttpEngine& facade)> CreateLibraryEngines;
        // Whether this process was started to serve FastCGI.
        std::function<bool()> IsFastCgiStart;
        // Serves FastCGI until asked to stop.
        std::function<void(TGeneralHttpEngine& facade)> CreateFastCgiEngine;
    };
    static TEngineFactories& Factories();

    TGeneralHttpEngine();
    ~TGeneralHttpEngine() override;
    TGeneralHttpEngine(const TGeneralHttpEngine&) = delete;
    TGeneralHttpEngine& operator=(const TGeneralHttpEngine&) = delete;

    bool AutoHttpHeader() const { return properties_.AutoHttpHeader; }
    const std::string& AutoContentType() const { return properties_.AutoContentType; }
    bool AutoReadInput() const { return properties_.AutoReadInput; }
    int AutoReadLimit() const { return properties_.AutoReadLimit; }
    bool BufferedOutput() const { return properties_.BufferedOutput; }
    const std::string& TempDir() const { return properties_.TempDir; }
    TCGIMode CGIMode() const { return properties_.CGIMode; }
    bool CgiAutoTerminate() const { return cgiAutoTerminate_; }
    const std::string& SessionName() const { return properties_.SessionName; }
    bool NoCache() const { return properties_.NoCache; }
    // The settings and request events every created engine receives.
    const THttpEngineProperties& Properties() const { return properties_; }

    // These reach the engine current on the calling thread at once.
    void SetAutoHttpHeader(bool value) { SetProperty(&THttpEngineProperties::AutoHttpHeader, std::move(value)); }
    void SetAutoContentType(const std::string& value) { SetProperty(&THttpEngineProperties::AutoContentType, std::move(value)); }
    void SetAutoReadInput(bool value) { SetProperty(&THttpEngineProperties::AutoReadInput, std::move(value)); }
    void SetAutoReadLimit(int value) { SetProperty(&THttpEngineProperties::AutoReadLimit, std::move(value)); }
    void SetBufferedOutput(bool value) { SetProperty(&THttpEngineProperties::BufferedOutput, std::move(value)); }
    void SetTempDir(const std::string& value) { SetProperty(&THttpEngineProperties::TempDir, std::move(value)); }
    void SetSessionName(const std::string& value) { SetProperty(&THttpEngineProperties::SessionName, std::move(value)); }
    void SetNoCache(bool value) { SetProperty(&THttpEngineProperties::NoCache, std::move(value)); }
    void SetOnExecRequest(TExecRequestEvent value) { SetProperty(&THttpEngineProperties::OnExecRequest, std::move(value)); }
    void SetOnFirstExecRequest(TFirstExecRequestEvent value) { SetProperty(&THttpEngineProperties::OnFirstExecRequest, std::move(value)); }
    void SetOnLastExecRequest(TLastExecRequestEvent value) { SetProperty(&THttpEngineProperties::OnLastExecRequest, std::move(value)); }
    void SetOnRequestError(TRequestErrorEvent value) { SetProperty(&THttpEngineProperties::OnRequestError, std::move(value)); }
    // These matter only when the engines are created.
    void SetCGIMode(TCGIMode value) { properties_.CGIMode = value; }
    void SetCgiAutoTerminate(bool value) { cgiAutoTerminate_ = value; }
    THttpExtensionVersionEvent OnIsapiExtensionVersion;
    THttpFilterProcEvent OnIsapiFilterProc;
    THttpFilterVersionEvent OnIsapiFilterVersion;

    // Runs once the owning form's components are set: creates the engines (a CGI engine may
    // serve its whole request, and end the process, inside this call).
    void Loaded();

    TCGIStdEngine* CGIStdEngine() const { return stdEngine_.get(); }

    virtual std::string GetServerName();
    virtual std::string GetServerSoftware();
    virtual std::string GetGatewayInterface();
    virtual std::string GetServerProtocol();
    virtual std::string GetServerPort();
    virtual bool IsSecurePort();
    virtual std::string GetRequestMethod();
    virtual std::string GetPathInfo();
    virtual std::string GetPathTranslated();
    virtual std::string GetScriptName();
    virtual std::string GetQueryString();
    virtual std::string GetRemoteHost();
    virtual std::string GetRemoteAddr();
    virtual std::string GetAuthType();
    virtual std::string GetRemoteUser();
    virtual std::string GetRemoteIdent();
    virtual std::string GetContentType();
    virtual int GetContentLength();
    virtual std::string GetURL();
    virtual std::string GetUserAgent();
    virtual std::string GetHttpCookie();
    virtual std::string GetReferer();
    virtual std::string GetExecutablePath();
    virtual void Write(const std::string& S);
    virtual void WriteBuffer(const void* Buffer, int Count);
    virtual void WriteHeader(const std::string& Name, const std::string& Value);
    virtual int ReadClient(void* Buffer, int Count);
    virtual void EndHeader();
    virtual std::string GetVariable(const std::string& Name);
    virtual std::string GetField(const std::string& Name, const std::string& Default);
    virtual std::vector<std::string> GetFieldNames();
    virtual std::vector<std::string> GetFieldValues(const std::string& Name);
    virtual TLock* CreateLock();
    virtual void Lock(TLock* P);
    virtual void Unlock(TLock* P);
    virtual void FreeLock(TLock* P);

private:
    // Stores a setting and hands it at once to the engine current on the calling thread.
    template <typename T, typename V>
    void SetProperty(T THttpEngineProperties::*setting, V value) {
        if (THttpEngine* engine = CurrentHttpEngine()) static_cast<THttpEngineProperties&>(*engine).*setting = value;
        properties_.*setting = std::move(value);
    }
    // The site may choose the CGI mode through the setting TALLYHOUSE_CGI_MODE.
    void ApplySiteCgiMode();
    void CreateCGIWinEngine();

    THttpEngineProperties properties_;
    bool cgiAutoTerminate_ = true;
    std::unique_ptr<TCGIStdEngine> stdEngine_;
    std::unique_ptr<TCGIWinEngine> winEngine_;
};

}  // namespace tallyhouse::engine
