// The free-standing routines: each forwards to the engine serving the calling thread.
#include "engine/core/http_engine.h"
#include "engine/core/http_entry_points.h"
#include "engine/core/request_state.h"

namespace tallyhouse::engine {

namespace {

THttpEngine* Current() { return RequestState().CurrentEngine; }

}  // namespace

void HttpWrite(const std::string& S) {
    if (THttpEngine* engine = Current()) engine->Write(S);
}

void HttpWriteLn(const std::string& S) {
    if (THttpEngine* engine = Current()) engine->WriteLn(S);
}

void HttpWriteBuffer(const void* Buffer, int Count) {
    if (THttpEngine* engine = Current()) engine->WriteBuffer(Buffer, Count);
}

void HttpWriteHeader(const std::string& Name, const std::string& Value) {
    if (THttpEngine* engine = Current()) engine->WriteHeader(Name, Value);
}

int HttpReadClient(void* Buffer, int Count) {
    THttpEngine* engine = Current();
    return engine ? engine->ReadClient(Buffer, Count) : 0;
}

std::string HttpGetVariable(const std::string& Name) {
    THttpEngine* engine = Current();
    return engine ? engine->GetVariable(Name) : std::string();
}

std::string HttpGetField(const std::string& Name, const std::string& Default) {
    THttpEngine* engine = Current();
    return engine ? engine->GetField(Name, Default) : Default;
}

std::vector<std::string> HttpGetFieldNames() {
    THttpEngine* engine = Current();
    return engine ? engine->GetFieldNames() : std::vector<std::string>();
}

std::vector<std::string> HttpGetFieldValues(const std::string& Name) {
    THttpEngine* engine = Current();
    return engine ? engine->GetFieldValues(Name) : std::vector<std::string>();
}

bool HttpClientConnected() {
    THttpEngine* engine = Current();
    return !engine || engine->ClientConnected();
}

std::string HttpGetQueryString() {
    THttpEngine* engine = Current();
    return engine ? engine->GetQueryString() : std::string();
}

std::string HttpGetRemoteAddr() {
    THttpEngine* engine = Current();
    return engine ? engine->GetRemoteAddr() : std::string();
}

std::string HttpGetUserAgent() {
    THttpEngine* engine = Current();
    return engine ? engine->GetUserAgent() : std::string();
}

std::string HttpGetHttpCookie() {
    THttpEngine* engine = Current();
    return engine ? engine->GetHttpCookie() : std::string();
}

std::string HttpGetExecutablePath() {
    THttpEngine* engine = Current();
    return engine ? engine->GetExecutablePath() : std::string();
}

void HttpSetImageKind(std::uint8_t Kind) { RequestState().ImageKind = Kind; }

void HttpSetStatus(const std::string& Status) { RequestState().Status = Status; }

void HttpEndHeader() {
    THttpEngine* engine = Current();
    if (!engine) return;
    RequestState().HeaderSent = true;
    engine->EndHeader();
}

bool HttpResponseStarted() {
    const THttpRequestState& state = RequestState();
    return state.FirstHeaderDone || state.HeaderSent;
}

THttpEngine* CurrentHttpEngine() { return Current(); }

constinit const THttpEntryPoints HttpEntryPoints = {
    HttpWrite,       HttpWriteLn,    HttpWriteBuffer,       HttpReadClient,
    HttpWriteHeader, HttpGetVariable, HttpGetField,        HttpGetQueryString,
    HttpGetHttpCookie, HttpGetExecutablePath, HttpGetUserAgent, HttpSetImageKind,
};

}  // namespace tallyhouse::engine
