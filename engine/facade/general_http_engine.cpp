// The facade's settings, start-up decision and forwarding.
#include "engine/facade/general_http_engine.h"

#include <type_traits>
#include <utility>

#include "engine/cgi/cgi_std_engine.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "engine/form/form_fields.h"
#include "engine/settings/operator_settings.h"
#include "platform/text/ascii_text.h"
#include "platform/os/exception.h"
#include "platform/os/system_module.h"
#include "engine/core/cgi_version.h"
#include "engine/core/cgi_variables.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

TStartKind CurrentStartKind() {
    TStartKind start;
    start.IsLibrary = IsLibrary();
    start.ServerSoftware = CgiEnvironmentVariable("SERVER_SOFTWARE");
    start.CgiVersion = CgiEnvironmentVariable("CGI_VERSION");
    start.HasParameters = !ProgramParameters().empty();
    const auto& isFastCgiStart = TGeneralHttpEngine::Factories().IsFastCgiStart;
    start.FastCgi = isFastCgiStart && isFastCgiStart();
    return start;
}

TEngineChoice ChooseEngines(const TStartKind& start) {
    TEngineChoice choice;
    if (start.IsLibrary) {
        choice.LibraryEngines = true;
        return choice;
    }
    if (start.FastCgi) {
        choice.FastCgi = true;
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
    try {
        if (const std::optional<TCGIMode> mode = OperatorSettings().CgiMode) properties_.CGIMode = *mode;
    } catch (const ESettingsError&) {
        // The request itself reports a bad setting; until it is mended the stored mode serves.
    }
}

void TGeneralHttpEngine::Loaded() {
    const TEngineChoice choice = ChooseEngines(CurrentStartKind());
    if (choice.LibraryEngines) {
        if (Factories().CreateLibraryEngines) Factories().CreateLibraryEngines(*this);
        return;
    }
    if (choice.FastCgi) {
        if (Factories().CreateFastCgiEngine) Factories().CreateFastCgiEngine(*this);
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

// Calls the engine current on this thread; without one, a value-initialised result.
template <typename Result, typename... Parameters, typename... Arguments>
Result Forward(Result (THttpEngine::*call)(Parameters...), Arguments&&... arguments) {
    THttpEngine* engine = CurrentHttpEngine();
    if constexpr (std::is_void_v<Result>) {
        if (engine) (engine->*call)(std::forward<Arguments>(arguments)...);
    } else {
        return engine ? (engine->*call)(std::forward<Arguments>(arguments)...) : Result();
    }
}

}  // namespace

std::string TGeneralHttpEngine::GetServerName() { return Forward(&THttpEngine::GetServerName); }
std::string TGeneralHttpEngine::GetServerSoftware() { return Forward(&THttpEngine::GetServerSoftware); }
std::string TGeneralHttpEngine::GetGatewayInterface() { return Forward(&THttpEngine::GetGatewayInterface); }
std::string TGeneralHttpEngine::GetServerProtocol() { return Forward(&THttpEngine::GetServerProtocol); }
std::string TGeneralHttpEngine::GetServerPort() { return Forward(&THttpEngine::GetServerPort); }
bool TGeneralHttpEngine::IsSecurePort() { return Forward(&THttpEngine::IsSecurePort); }
std::string TGeneralHttpEngine::GetRequestMethod() { return Forward(&THttpEngine::GetRequestMethod); }
std::string TGeneralHttpEngine::GetPathInfo() { return Forward(&THttpEngine::GetPathInfo); }
std::string TGeneralHttpEngine::GetPathTranslated() { return Forward(&THttpEngine::GetPathTranslated); }
std::string TGeneralHttpEngine::GetScriptName() { return Forward(&THttpEngine::GetScriptName); }
std::string TGeneralHttpEngine::GetQueryString() {
    const std::string value = Forward(&THttpEngine::GetQueryString);
    return value == NotAvailable ? std::string() : value;
}
std::string TGeneralHttpEngine::GetRemoteHost() { return Forward(&THttpEngine::GetRemoteHost); }
std::string TGeneralHttpEngine::GetRemoteAddr() { return Forward(&THttpEngine::GetRemoteAddr); }
std::string TGeneralHttpEngine::GetAuthType() { return Forward(&THttpEngine::GetAuthType); }
std::string TGeneralHttpEngine::GetRemoteUser() { return Forward(&THttpEngine::GetVariable, "Remote User"); }
std::string TGeneralHttpEngine::GetRemoteIdent() { return Forward(&THttpEngine::GetRemoteIdent); }
std::string TGeneralHttpEngine::GetContentType() { return Forward(&THttpEngine::GetContentType); }
int TGeneralHttpEngine::GetContentLength() {
    try {
        return Forward(&THttpEngine::GetContentLength);
    } catch (const std::exception&) {
        return 0;
    }
}
std::string TGeneralHttpEngine::GetURL() { return Forward(&THttpEngine::GetURL); }
std::string TGeneralHttpEngine::GetUserAgent() { return Forward(&THttpEngine::GetUserAgent); }
std::string TGeneralHttpEngine::GetHttpCookie() { return Forward(&THttpEngine::GetHttpCookie); }
std::string TGeneralHttpEngine::GetReferer() { return Forward(&THttpEngine::GetReferer); }
std::string TGeneralHttpEngine::GetExecutablePath() { return Forward(&THttpEngine::GetExecutablePath); }

void TGeneralHttpEngine::Write(const std::string& S) { Forward(&THttpEngine::Write, S); }
void TGeneralHttpEngine::WriteBuffer(const void* Buffer, int Count) {
    Forward(&THttpEngine::WriteBuffer, Buffer, Count);
}
void TGeneralHttpEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    Forward(&THttpEngine::WriteHeader, Name, Value);
}
int TGeneralHttpEngine::ReadClient(void* Buffer, int Count) { return Forward(&THttpEngine::ReadClient, Buffer, Count); }
void TGeneralHttpEngine::EndHeader() { Forward(&THttpEngine::EndHeader); }
std::string TGeneralHttpEngine::GetVariable(const std::string& Name) {
    return Forward(&THttpEngine::GetVariable, Name);
}
std::string TGeneralHttpEngine::GetField(const std::string& Name, const std::string& Default) {
    THttpEngine* engine = CurrentHttpEngine();
    return engine ? engine->GetField(Name, Default) : Default;
}
std::vector<std::string> TGeneralHttpEngine::GetFieldNames() { return Forward(&THttpEngine::GetFieldNames); }
std::vector<std::string> TGeneralHttpEngine::GetFieldValues(const std::string& Name) {
    return Forward(&THttpEngine::GetFieldValues, Name);
}
TLock* TGeneralHttpEngine::CreateLock() { return Forward(&THttpEngine::CreateLock); }
void TGeneralHttpEngine::Lock(TLock* P) { Forward(&THttpEngine::Lock, P); }
void TGeneralHttpEngine::Unlock(TLock* P) { Forward(&THttpEngine::Unlock, P); }
void TGeneralHttpEngine::FreeLock(TLock* P) { Forward(&THttpEngine::FreeLock, P); }

}  // namespace tallyhouse::engine
