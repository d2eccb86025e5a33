// The facade's settings, start-up decision and forwarding.
#include "engine/facade/general_http_engine.h"

#include "engine/cgi/cgi_std_engine.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "engine/form/form_fields.h"
#include "platform/ascii_text.h"
#include "platform/exception.h"
#include "platform/system_environment.h"
#include "platform/system_module.h"
#include "engine/core/cgi_version.h"

TStartKind CurrentStartKind() {
    TStartKind start;
    start.IsLibrary = IsLibrary();
    start.ServerSoftware = CgiEnvironmentVariable("SERVER_SOFTWARE");
    start.CgiVersion = CgiEnvironmentVariable("CGI_VERSION");
    start.HasParameters = !ProgramParameters().empty();
    return start;
}

TEngineChoice ChooseEngines(const TStartKind& start) {
    TEngineChoice choice;
    if (start.IsLibrary) {
        choice.LibraryEngines = true;
        return choice;
    }
    choice.NoServer = start.ServerSoftware.empty() && !start.HasParameters;
    choice.StandardCgi = choice.NoServer || (!start.ServerSoftware.empty() && !NamesWindowsCgi(start.CgiVersion));
    choice.WindowsCgi = choice.NoServer;
    choice.WindowsCgiIfNoneCurrent = !choice.NoServer;
    return choice;
}

TGeneralHttpEngine::TEngineFactories& TGeneralHttpEngine::Factories() {
    static TEngineFactories factories;
    return factories;
}

TGeneralHttpEngine::TGeneralHttpEngine() {
    properties_.AutoHttpHeader = true;
    properties_.AutoContentType = "text/html";
    properties_.AutoReadInput = true;
    properties_.AutoReadLimit = 10000;
    properties_.BufferedOutput = false;
    properties_.TempDir.clear();
    properties_.CGIMode = NormalMode;
    cgiAutoTerminate_ = true;
    properties_.SessionName = "DefaultSession";
    properties_.NoCache = false;
}

TGeneralHttpEngine::~TGeneralHttpEngine() = default;

void TGeneralHttpEngine::ApplySiteCgiMode() {
    const std::string mode = GetEnv("TALLYHOUSE_CGI_MODE");
    if (mode == "NormalMode") properties_.CGIMode = NormalMode;
    if (mode == "ServerMode") properties_.CGIMode = ServerMode;
    if (mode == "ServerThreadMode") properties_.CGIMode = ServerThreadMode;
}

void TGeneralHttpEngine::Loaded() {
    const TEngineChoice choice = ChooseEngines(CurrentStartKind());
    if (choice.LibraryEngines) {
        if (Factories().CreateLibraryEngines) Factories().CreateLibraryEngines(*this);
        return;
    }
    ApplySiteCgiMode();
    if (!CurrentHttpEngine() && choice.StandardCgi)
        stdEngine_ = TCGIStdEngine::Create(choice.NoServer, properties_, cgiAutoTerminate_);
    if (choice.WindowsCgi || (choice.WindowsCgiIfNoneCurrent && !CurrentHttpEngine()))
        CreateCGIWinEngine();
}

void TGeneralHttpEngine::CreateCGIWinEngine() { winEngine_ = TCGIWinEngine::Create(properties_, cgiAutoTerminate_); }

namespace {

template <typename Result, typename Call>
Result Forward(Call call) {
    THttpEngine* engine = CurrentHttpEngine();
    return engine ? call(*engine) : Result();
}

}  // namespace

std::string TGeneralHttpEngine::GetServerName() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetServerName(); });
}
std::string TGeneralHttpEngine::GetServerSoftware() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetServerSoftware(); });
}
std::string TGeneralHttpEngine::GetGatewayInterface() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetGatewayInterface(); });
}
std::string TGeneralHttpEngine::GetServerProtocol() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetServerProtocol(); });
}
std::string TGeneralHttpEngine::GetServerPort() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetServerPort(); });
}
bool TGeneralHttpEngine::IsSecurePort() {
    return Forward<bool>([](THttpEngine& e) { return e.IsSecurePort(); });
}
std::string TGeneralHttpEngine::GetRequestMethod() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetRequestMethod(); });
}
std::string TGeneralHttpEngine::GetPathInfo() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetPathInfo(); });
}
std::string TGeneralHttpEngine::GetPathTranslated() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetPathTranslated(); });
}
std::string TGeneralHttpEngine::GetScriptName() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetScriptName(); });
}
std::string TGeneralHttpEngine::GetQueryString() {
    const std::string value = Forward<std::string>([](THttpEngine& e) { return e.GetQueryString(); });
    return value == NotAvailable ? std::string() : value;
}
std::string TGeneralHttpEngine::GetRemoteHost() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetRemoteHost(); });
}
std::string TGeneralHttpEngine::GetRemoteAddr() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetRemoteAddr(); });
}
std::string TGeneralHttpEngine::GetAuthType() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetAuthType(); });
}
std::string TGeneralHttpEngine::GetRemoteUser() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetVariable("Remote User"); });
}
std::string TGeneralHttpEngine::GetRemoteIdent() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetRemoteIdent(); });
}
std::string TGeneralHttpEngine::GetContentType() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetContentType(); });
}
int TGeneralHttpEngine::GetContentLength() {
    try {
        return Forward<int>([](THttpEngine& e) { return e.GetContentLength(); });
    } catch (const std::exception&) {
        return 0;
    }
}
std::string TGeneralHttpEngine::GetURL() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetURL(); });
}
std::string TGeneralHttpEngine::GetUserAgent() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetUserAgent(); });
}
std::string TGeneralHttpEngine::GetHttpCookie() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetHttpCookie(); });
}
std::string TGeneralHttpEngine::GetReferer() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetReferer(); });
}
std::string TGeneralHttpEngine::GetExecutablePath() {
    return Forward<std::string>([](THttpEngine& e) { return e.GetExecutablePath(); });
}

void TGeneralHttpEngine::Write(const std::string& S) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->Write(S);
}
void TGeneralHttpEngine::WriteBuffer(const void* Buffer, int Count) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->WriteBuffer(Buffer, Count);
}
void TGeneralHttpEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->WriteHeader(Name, Value);
}
int TGeneralHttpEngine::ReadClient(void* Buffer, int Count) {
    return Forward<int>([&](THttpEngine& e) { return e.ReadClient(Buffer, Count); });
}
void TGeneralHttpEngine::EndHeader() {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->EndHeader();
}
std::string TGeneralHttpEngine::GetVariable(const std::string& Name) {
    return Forward<std::string>([&](THttpEngine& e) { return e.GetVariable(Name); });
}
std::string TGeneralHttpEngine::GetField(const std::string& Name, const std::string& Default) {
    THttpEngine* engine = CurrentHttpEngine();
    return engine ? engine->GetField(Name, Default) : Default;
}
std::vector<std::string> TGeneralHttpEngine::GetFieldNames() {
    return Forward<std::vector<std::string>>([](THttpEngine& e) { return e.GetFieldNames(); });
}
std::vector<std::string> TGeneralHttpEngine::GetFieldValues(const std::string& Name) {
    return Forward<std::vector<std::string>>([&](THttpEngine& e) { return e.GetFieldValues(Name); });
}
TLock* TGeneralHttpEngine::CreateLock() {
    return Forward<TLock*>([](THttpEngine& e) { return e.CreateLock(); });
}
void TGeneralHttpEngine::Lock(TLock* P) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->Lock(P);
}
void TGeneralHttpEngine::Unlock(TLock* P) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->Unlock(P);
}
void TGeneralHttpEngine::FreeLock(TLock* P) {
    if (THttpEngine* engine = CurrentHttpEngine()) engine->FreeLock(P);
}
