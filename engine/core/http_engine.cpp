// The engine base: the course of one request, request variables with their fallbacks, the
// error log, program termination and the lock operations.
#include "engine/core/http_engine.h"
#include "engine/core/program_end.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine/core/engine_log.h"
#include "engine/form/multipart.h"
#include "engine/core/random_number.h"
#include "engine/core/request_state.h"
#include "platform/text/convert.h"
#include "platform/os/exception.h"
#include "platform/os/system_file.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

const char UnhandledPrefix[] = "Unhandled exception : ";

// Requests of a library-loaded engine in ServerMode run one at a time under this lock.
std::mutex& RequestLock() {
    static std::mutex lock;
    return lock;
}

void StartSession(THttpRequestState& state, const std::string& sessionName) {
    state.SessionCookie = std::make_unique<THttpCookie>();
    state.SessionCookie->CookieName = sessionName;
    state.SessionCookie->Coded = true;
    state.SessionCookie->CodeKey = SessionCookieCodeKey;
    state.SessionVariables.clear();
}

}  // namespace

void THttpEngine::ProcessRequest() {
    THttpRequestState& state = RequestState();
    state.TempFiles.reset();
    state.OutputBuffer.clear();
    state.BufferClosed = !BufferedOutput;
    state.ImageKind = ImageKindNone;
    state.Status.clear();
    if (state.RequestNumber == 0) state.RequestNumber = RandomNumber(1000);
    std::unique_lock<std::mutex> serialised;
    if (IsLibrary() && CGIMode == ServerMode) serialised = std::unique_lock<std::mutex>(RequestLock());
    RunGuarded();
    if (BufferedOutput) {
        try {
            state.BufferClosed = true;
            FlushBuffer();
        } catch (const std::exception& error) {
            LogError(UnhandledPrefix + std::string(error.what()));
        }
        std::string().swap(state.OutputBuffer);
    }
    if (serialised.owns_lock()) serialised.unlock();
    EndRequest();
    state.RequestNumber = 0;
}

void THttpEngine::RunGuarded() {
    THttpRequestState& state = RequestState();
    try {
        state.CurrentEngine = this;
        state.HeaderSent = false;
        state.FirstHeaderDone = false;
        if (IsActive()) StartSession(state, SessionName);
        ExecRequest();
        if (AutoHttpHeader && !state.HeaderSent) {
            WriteHeader("content-type", AutoContentType);
            state.HeaderSent = true;
            EndHeader();
        }
    } catch (const std::exception& error) {
        HandleRequestError(error);
    }
}

void THttpEngine::HandleRequestError(const std::exception& error) {
    if (!OnRequestError) {
        LogError(UnhandledPrefix + std::string(error.what()));
        return;
    }
    try {
        OnRequestError(*this, error);
    } catch (const std::exception& inner) {
        LogError(UnhandledPrefix + std::string(inner.what()));
    }
}

void THttpEngine::EndRequest() {
    THttpRequestState& state = RequestState();
    if (state.TempFiles)
        for (const std::string& file : *state.TempFiles) DeleteFileIfExists(file);
    state.TempFiles.reset();
}

void THttpEngine::ReadMultipartInput(std::string& Data) {
    const long long length = StrToIntOr(GetVariable("CONTENT_LENGTH"), 0);
    THttpRequestState& state = RequestState();
    if (!state.TempFiles) state.TempFiles.emplace();
    const TMultipartUploads uploads{ResolveFromModule(TempDir), &*state.TempFiles, RandomNumber};
    Data = ConvertMultipart([this](char* buffer, int count) { return ReadClient(buffer, count); }, length, uploads);
}

std::string THttpEngine::VariableOr(const std::string& Name, const std::string& Fallback) {
    std::string value = GetVariable(Name);
    return value.empty() ? GetVariable(Fallback) : value;
}

std::string THttpEngine::GetServerName() { return GetVariable("SERVER NAME"); }
std::string THttpEngine::GetServerSoftware() { return GetVariable("SERVER SOFTWARE"); }
std::string THttpEngine::GetGatewayInterface() { return GetVariable("GATEWAY INTERFACE"); }
std::string THttpEngine::GetServerProtocol() { return VariableOr("SERVER PROTOCOL", "REQUEST PROTOCOL"); }
std::string THttpEngine::GetServerPort() { return GetVariable("SERVER PORT"); }
bool THttpEngine::IsSecurePort() { return GetVariable("SERVER PORT SECURE") == "1"; }
std::string THttpEngine::GetRequestMethod() { return GetVariable("REQUEST METHOD"); }
std::string THttpEngine::GetPathInfo() { return GetVariable("PATH INFO"); }
std::string THttpEngine::GetPathTranslated() { return VariableOr("PATH TRANSLATED", "DOCUMENT ROOT"); }
std::string THttpEngine::GetScriptName() { return VariableOr("SCRIPT NAME", "EXECUTABLE PATH"); }
std::string THttpEngine::GetRemoteHost() { return GetVariable("REMOTE HOST"); }
std::string THttpEngine::GetRemoteAddr() { return VariableOr("REMOTE ADDR", "REMOTE ADDRESS"); }
std::string THttpEngine::GetAuthType() { return VariableOr("AUTH TYPE", "AUTHETICATION METHOD"); }
std::string THttpEngine::GetRemoteUser() { return GetVariable("REMOTE USER"); }
std::string THttpEngine::GetRemoteIdent() { return GetVariable("REMOTE IDENT"); }
std::string THttpEngine::GetContentType() { return GetVariable("CONTENT TYPE"); }
std::string THttpEngine::GetUserAgent() { return VariableOr("HTTP USER AGENT", "USER AGENT"); }
std::string THttpEngine::GetHttpCookie() { return GetVariable("HTTP COOKIE"); }
std::string THttpEngine::GetReferer() { return VariableOr("HTTP REFERER", "REFERER"); }
std::string THttpEngine::GetExecutablePath() { return VariableOr("EXECUTABLE PATH", "SCRIPT NAME"); }
TCGIRequestThread* THttpEngine::GetRequestThread() { return nullptr; }

std::string THttpEngine::GetQueryString() {
    std::string value = GetVariable("QUERY STRING");
    return value == NotAvailable ? std::string() : value;
}

int THttpEngine::GetContentLength() { return StrToIntOr(GetVariable("CONTENT LENGTH"), 0); }

std::string THttpEngine::GetURL() {
    std::string value = VariableOr("URL", "HTTP_URL");
    return value.empty() ? GetExecutablePath() : value;
}

int THttpEngine::ReadClient(void*, int) { return 0; }

void THttpEngine::WriteLn(const std::string& S) { Write(S + "\r\n"); }

std::vector<std::string> THttpEngine::GetFieldValues(const std::string& Name) {
    std::string value = GetField(Name, NotAvailable);
    if (value == NotAvailable) return {};
    return {std::move(value)};
}

void THttpEngine::MakeCurrent() { RequestState().CurrentEngine = this; }

void THttpEngine::LogError(const std::string& Message) { LogEngineMessage(Message); }

void THttpEngine::TerminateProgram() {
    if (!IsLibrary()) EndProcess();
}

void THttpEngine::EndProcess() { EndProgram(); }

TLock* THttpEngine::CreateLock() { return new TLock(); }

void THttpEngine::Lock(TLock* P) {
    if (P) P->lock();
}

void THttpEngine::Unlock(TLock* P) {
    if (P) P->unlock();
}

void THttpEngine::FreeLock(TLock* P) { delete P; }

}  // namespace tallyhouse::engine
