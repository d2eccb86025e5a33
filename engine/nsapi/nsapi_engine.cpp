// The NSAPI engine's request operations mapped onto the bound server functions.
#include "engine/nsapi/nsapi_engine.h"

#include <algorithm>
#include <mutex>

#include "engine/form/form_fields.h"
#include "platform/text/ascii_text.h"
#include "engine/form/multipart.h"
#include "engine/nsapi/nsapi_binding.h"
#include "engine/core/request_state.h"
#include "platform/text/convert.h"
#include "platform/os/exception.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

TNSAPIEngine* nsapiEngine = nullptr;
// Set by a service entry point, which this program does not have.
const bool serverActive = false;

std::string Found(pblock* pb, const char* name) {
    const auto findval = ServerCall<pblock_findval_t>("pblock_findval");
    if (!findval || !pb) return "";
    const char* value = findval(name, pb);
    return value ? value : "";
}

std::string RequestBlock(const char* name) {
    const TNsapiRequestState& request = NsapiRequest();
    return request.Rq ? Found(request.Rq->reqpb, name) : "";
}

std::string RequestHeader(const char* name) {
    const TNsapiRequestState& request = NsapiRequest();
    return request.Rq ? Found(request.Rq->headers, name) : "";
}

std::string ClientBlock(const char* name) {
    const TNsapiRequestState& request = NsapiRequest();
    return request.Sn ? Found(request.Sn->client, name) : "";
}

// The request variables that the engine base and the multipart conversion ask for by their
// engine-neutral names.
std::string ServerName(const std::string& name) {
    std::string key = UpperCase(name);
    std::replace(key.begin(), key.end(), ' ', '_');
    if (key == "CONTENT_LENGTH") return "content-length";
    if (key == "CONTENT_TYPE") return "content-type";
    return name;
}

bool CriticalSectionsBound() {
    return ServerFunction("crit_init") && ServerFunction("crit_enter") && ServerFunction("crit_exit") &&
           ServerFunction("crit_terminate");
}

void BindOnce() {
    static std::once_flag bound;
    std::call_once(bound, [] {
        if (IsLibrary()) BindServerLibrary();
    });
}

}  // namespace

TNsapiRequestState& NsapiRequest() {
    thread_local TNsapiRequestState state;
    return state;
}

TNSAPIEngine* NsapiEngine() { return nsapiEngine; }

TNSAPIEngine::TNSAPIEngine() : active_(serverActive) {
    BindOnce();
    nsapiEngine = this;
    if (active_) MakeCurrent();
}

TNSAPIEngine::TNSAPIEngine(const THttpEngineProperties& properties) : THttpEngine(properties), active_(serverActive) {
    BindOnce();
    nsapiEngine = this;
    if (active_) MakeCurrent();
}

TNSAPIEngine::~TNSAPIEngine() {
    if (nsapiEngine == this) nsapiEngine = nullptr;
}

bool TNSAPIEngine::IsActive() { return active_; }

void TNSAPIEngine::Service(pblock* Parameters, Session* Sn, Request* Rq) {
    TNsapiRequestState& request = NsapiRequest();
    request.Parameters = Parameters;
    request.Sn = Sn;
    request.Rq = Rq;
    ProcessRequest();
    request = TNsapiRequestState();
}

void TNSAPIEngine::ExecRequest() {
    if (IsLibrary() && !ServerFunction("net_write")) BindServerLibrary();
    ReadFormData();
    // The server calls on many threads at once.
    requestEvents_.Fire(*this, {.TakeTurns = true});
}

void TNSAPIEngine::ReadFormData() { NsapiRequest().Fields = TFormFields(FormDataOfRequest()); }

std::string TNSAPIEngine::FormDataOfRequest() {
    const std::string method = GetRequestMethod();
    if (method != "POST") return method == "GET" ? GetQueryString() : "";
    const int length = GetContentLength();
    if (length > AutoReadLimit) {
        LogError("Content length exceeds AutoReadLimit");
        return "";
    }
    if (length <= 0) return "";
    if (!IsMultipartForm(GetVariable("content-type"))) return ReadBody(length);
    std::string data;
    ReadMultipartInput(data);
    return data;
}

std::string TNSAPIEngine::ReadBody(int length) {
    std::string body(static_cast<size_t>(length), '\0');
    const int got = ReadClient(body.data(), length);
    body.resize(static_cast<size_t>(std::max(got, 0)));
    return body;
}

int TNSAPIEngine::ReadClient(void* Buffer, int Count) {
    const TNsapiRequestState& request = NsapiRequest();
    netbuf* in = request.Sn ? request.Sn->inbuf : nullptr;
    const auto next = ServerCall<netbuf_next_t>("netbuf_next");
    if (!in || Count <= 0) return 0;
    unsigned char* out = static_cast<unsigned char*>(Buffer);
    int delivered = 0;
    while (delivered < Count) {
        if (in->pos < in->cursize) {
            out[delivered++] = in->inbuf[in->pos++];
            continue;
        }
        const int byte = next ? next(in, in->rdtmout) : IO_EOF;
        if (byte < 0) break;
        out[delivered++] = static_cast<unsigned char>(byte);
    }
    return delivered;
}

std::string TNSAPIEngine::GetVariable(const std::string& Name) {
    std::string key = UpperCase(Name);
    std::replace(key.begin(), key.end(), ' ', '_');
    if (key == "SCRIPT_NAME" || key == "EXECUTABLE_PATH") return GetScriptName();
    const TNsapiRequestState& request = NsapiRequest();
    const std::string name = ServerName(Name);
    pblock* blocks[] = {request.Rq ? request.Rq->reqpb : nullptr, request.Rq ? request.Rq->vars : nullptr,
                        request.Rq ? request.Rq->headers : nullptr, request.Rq ? request.Rq->srvhdrs : nullptr,
                        request.Sn ? request.Sn->client : nullptr, request.Parameters};
    for (pblock* pb : blocks) {
        std::string value = Found(pb, name.c_str());
        if (!value.empty()) return value;
    }
    const auto header = ServerCall<request_header_t>("request_header");
    if (!header || !request.Sn || !request.Rq) return "";
    std::string asked = name;
    char* value = nullptr;
    header(asked.data(), &value, request.Sn, request.Rq);
    return value ? value : "";
}

std::string TNSAPIEngine::GetRequestMethod() { return RequestBlock("method"); }
std::string TNSAPIEngine::GetQueryString() { return RequestBlock("query"); }
std::string TNSAPIEngine::GetServerProtocol() { return RequestBlock("protocol"); }
std::string TNSAPIEngine::GetScriptName() { return RequestBlock("uri"); }
std::string TNSAPIEngine::GetExecutablePath() { return RequestBlock("uri"); }
std::string TNSAPIEngine::GetUserAgent() { return RequestHeader("user-agent"); }
std::string TNSAPIEngine::GetHttpCookie() { return RequestHeader("cookie"); }
std::string TNSAPIEngine::GetRemoteAddr() { return ClientBlock("ip"); }
std::string TNSAPIEngine::GetRemoteHost() { return ClientBlock("dns"); }

std::string TNSAPIEngine::GetContentType() {
    const TNsapiRequestState& request = NsapiRequest();
    return request.Rq ? Found(request.Rq->srvhdrs, "content-type") : "";
}

int TNSAPIEngine::GetContentLength() { return StrToIntOr(GetVariable("content-length"), 0); }

std::string TNSAPIEngine::GetField(const std::string& Name, const std::string& Default) {
    return NsapiRequest().Fields.Find(Name, Default);
}

std::vector<std::string> TNSAPIEngine::GetFieldNames() { return NsapiRequest().Fields.Names(); }

std::vector<std::string> TNSAPIEngine::GetFieldValues(const std::string& Name) { return NsapiRequest().Fields.Values(Name); }

void TNSAPIEngine::SendToClient(const char* Data, size_t Count) {
    const TNsapiRequestState& request = NsapiRequest();
    const auto write = ServerCall<net_write_t>("net_write");
    if (!write || !request.Sn) return;
    write(request.Sn->csd, const_cast<char*>(Data), static_cast<int>(Count));
}

void TNSAPIEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    const TNsapiRequestState& request = NsapiRequest();
    const auto remove = ServerCall<pblock_fr_t>("pblock_fr");
    const auto free = ServerCall<param_free_t>("param_free");
    const auto insert = ServerCall<pblock_nvinsert_t>("pblock_nvinsert");
    if (!request.Rq) return;
    if (remove) {
        pb_param* old = remove(Name.c_str(), request.Rq->srvhdrs, 1);
        if (old && free) free(old);
    }
    if (insert) insert(Name.c_str(), Value.c_str(), request.Rq->srvhdrs);
}

void TNSAPIEngine::EndHeader() {
    if (!SendsDirectly()) return;
    const TNsapiRequestState& request = NsapiRequest();
    const auto status = ServerCall<http_status_t>("http_status");
    const auto start = ServerCall<http_start_response_t>("http_start_response");
    if (!request.Sn || !request.Rq) return;
    if (status) status(request.Sn, request.Rq, 200, nullptr);
    if (start) start(request.Sn, request.Rq);
}

TLock* TNSAPIEngine::CreateLock() {
    if (!CriticalSectionsBound()) return THttpEngine::CreateLock();
    return static_cast<TLock*>(ServerCall<crit_init_t>("crit_init")());
}

void TNSAPIEngine::Lock(TLock* P) {
    if (!CriticalSectionsBound()) return THttpEngine::Lock(P);
    if (P) ServerCall<crit_enter_t>("crit_enter")(P);
}

void TNSAPIEngine::Unlock(TLock* P) {
    if (!CriticalSectionsBound()) return THttpEngine::Unlock(P);
    if (P) ServerCall<crit_exit_t>("crit_exit")(P);
}

void TNSAPIEngine::FreeLock(TLock* P) {
    if (!CriticalSectionsBound()) return THttpEngine::FreeLock(P);
    if (P) ServerCall<crit_terminate_t>("crit_terminate")(P);
}

}  // namespace tallyhouse::engine
