// The ISAPI engine's extension requests: the form data from the preloaded and streamed body,
// request variables from the server, output through WriteClient and the server's redirect.
#include "engine/isapi/isapi_engine.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/form/form_fields.h"
#include "platform/text/ascii_text.h"
#include "engine/form/multipart.h"
#include "engine/core/request_state.h"
#include "platform/os/system_module.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr DWORD ServerVariableSize = 8193;
constexpr DWORD ReadPiece = 32386;

TISAPIEngine* isapiEngine = nullptr;
// Cleared by every extension request and never set: the library asks to stay loaded.
std::atomic<bool> unloadAllowed{false};

std::string UpToZero(const char* data, size_t size) { return std::string(data, strnlen(data, size)); }

std::string FieldText(const char* field) { return field ? field : ""; }

}  // namespace

TIsapiRequestState& IsapiRequest() {
    thread_local TIsapiRequestState state;
    return state;
}

TISAPIEngine* IsapiEngine() { return isapiEngine; }

TISAPIEngine::TISAPIEngine() { isapiEngine = this; }

TISAPIEngine::TISAPIEngine(const THttpEngineProperties& properties, const TIsapiEvents& events)
    : THttpEngine(properties),
      OnHttpExtensionVersion(events.OnHttpExtensionVersion),
      OnHttpFilterVersion(events.OnHttpFilterVersion),
      OnHttpFilterProc(events.OnHttpFilterProc) {
    isapiEngine = this;
}

TISAPIEngine::~TISAPIEngine() {
    if (isapiEngine == this) isapiEngine = nullptr;
}

bool TISAPIEngine::IsActive() { return IsLibrary(); }

DWORD TISAPIEngine::ExtensionProc(EXTENSION_CONTROL_BLOCK& ECB) {
    unloadAllowed = false;
    TIsapiRequestState& request = IsapiRequest();
    request.ECB = &ECB;
    request.FilterContext = nullptr;
    DWORD status = HSE_STATUS_SUCCESS;
    if (OnExecRequest) {
        try {
            ProcessRequest();
        } catch (const std::exception& error) {
            LogError(error.what());
            CopyToLogField(ECB.lpszLogData, error.what());
            status = HSE_STATUS_ERROR;
        }
    }
    request.ECB = nullptr;
    return status;
}

BOOL TISAPIEngine::Terminate(DWORD) {
    if (!OnLastExecRequest) return unloadAllowed ? ISAPI_TRUE : ISAPI_FALSE;
    try {
        OnLastExecRequest(*this);
    } catch (const std::exception& error) {
        LogError(error.what());
        return ISAPI_TRUE;
    }
    return unloadAllowed ? ISAPI_TRUE : ISAPI_FALSE;
}

void TISAPIEngine::ExecRequest() {
    ReadFormData();
    // The server calls on many threads at once; the library's last request is TerminateExtension's.
    requestEvents_.Fire(*this, {.TakeTurns = true});
}

void TISAPIEngine::ReadFormData() {
    TIsapiRequestState& request = IsapiRequest();
    EXTENSION_CONTROL_BLOCK& ecb = *request.ECB;
    request.ReadPosition = 0;
    request.ContentLength = static_cast<int>(std::min<DWORD>(ecb.cbTotalBytes, INT32_MAX));
    request.BytesNotPreloaded = ecb.cbTotalBytes > ecb.cbAvailable ? ecb.cbTotalBytes - ecb.cbAvailable : 0;
    const DWORD remaining = request.BytesNotPreloaded;
    std::string data;
    if (!IsMultipartForm(GetVariable("CONTENT_TYPE"))) {
        if (ecb.lpbData) data = UpToZero(reinterpret_cast<const char*>(ecb.lpbData), ecb.cbAvailable);
        if (remaining > 0) ReadUrlEncodedBody(remaining, data);
    } else if (AutoReadInput) {
        if (remaining > static_cast<DWORD>(std::max(AutoReadLimit, 0)))
            LogError("Content length exceeds AutoReadLimit");
        else
            ReadMultipartInput(data);
    }
    const std::string query = GetQueryString();
    if (!query.empty()) data += (data.empty() ? "" : "&") + query;
    request.Fields = TFormFields(data);
}

// The body bytes the server did not preload are read in full (a server may deliver them in
// several pieces) and appended to the preloaded ones.
void TISAPIEngine::ReadUrlEncodedBody(DWORD remaining, std::string& data) {
    if (remaining > static_cast<DWORD>(std::max(AutoReadLimit, 0))) {
        LogError("Content length exceeds AutoReadLimit");
        return;
    }
    if (!AutoReadInput) return;
    TIsapiRequestState& request = IsapiRequest();
    request.ReadPosition = request.ECB->cbAvailable;
    std::string rest(remaining, '\0');
    const int got = ReadClient(rest.data(), static_cast<int>(remaining));
    if (got <= 0) return;
    data += UpToZero(rest.data(), static_cast<size_t>(got));
}

int TISAPIEngine::GetContentLength() { return IsapiRequest().ContentLength; }

// Preloaded bytes first, then the server's ReadClient, never past the end of the body (a
// server may wait for bytes that never come).
int TISAPIEngine::ReadClient(void* Buffer, int Count) {
    TIsapiRequestState& request = IsapiRequest();
    EXTENSION_CONTROL_BLOCK* ecb = request.ECB;
    if (!ecb || Count <= 0) return 0;
    char* out = static_cast<char*>(Buffer);
    const DWORD preloaded = ecb->lpbData ? ecb->cbAvailable : 0;
    DWORD delivered = 0;
    if (request.ReadPosition < preloaded) {
        delivered = std::min(static_cast<DWORD>(Count), preloaded - request.ReadPosition);
        std::memcpy(out, ecb->lpbData + request.ReadPosition, delivered);
        request.ReadPosition += delivered;
    }
    const DWORD end = delivered + std::min(static_cast<DWORD>(Count) - delivered, request.BytesNotPreloaded);
    while (delivered < end) {
        DWORD piece = std::min(ReadPiece, end - delivered);
        if (!ecb->ReadClient || !ecb->ReadClient(ecb->ConnID, out + delivered, &piece) || piece == 0) return -1;
        piece = std::min(piece, end - delivered);
        delivered += piece;
        request.BytesNotPreloaded -= piece;
    }
    return static_cast<int>(delivered);
}

std::string TISAPIEngine::GetExecutablePath() { return ScriptUrlPath(GetVariable("SCRIPT NAME")); }

std::string ScriptUrlPath(const std::string& scriptName) {
    if (scriptName.size() < 3 || scriptName.compare(1, 2, ":\\") != 0) return scriptName;
    const size_t last = scriptName.rfind('\\');
    const size_t before = last == 0 ? std::string::npos : scriptName.rfind('\\', last - 1);
    std::string path = scriptName.substr(before == std::string::npos ? last : before);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void CopyToLogField(char (&field)[HSE_LOG_BUFFER_LEN], const std::string& message) {
    const size_t n = std::min<size_t>(message.size(), HSE_LOG_BUFFER_LEN - 1);
    std::memcpy(field, message.data(), n);
    field[n] = '\0';
}

std::string TISAPIEngine::GetVariable(const std::string& Name) {
    std::string key = UpperCase(Name);
    std::replace(key.begin(), key.end(), ' ', '_');
    if (key == "EXECUTABLE_PATH") key = "SCRIPT_NAME";
    const TIsapiRequestState& request = IsapiRequest();
    if (request.ECB) {
        if (key == "QUERY_STRING") return FieldText(request.ECB->lpszQueryString);
        if (key == "PATH_INFO") return FieldText(request.ECB->lpszPathInfo);
        if (key == "PATH_TRANSLATED") return FieldText(request.ECB->lpszPathTranslated);
    }
    std::string value = ServerVariable(key);
    if (value.empty() && key == "HTTP_COOKIE" && !request.ECB && request.NotificationType == SF_NOTIFY_PREPROC_HEADERS)
        return request.Cookie;
    return value;
}

std::string TISAPIEngine::ServerVariable(const std::string& name) {
    const TIsapiRequestState& request = IsapiRequest();
    std::string buffer(ServerVariableSize, '\0');
    DWORD size = ServerVariableSize;
    std::string key = name;
    BOOL found = ISAPI_FALSE;
    if (request.ECB && request.ECB->GetServerVariable)
        found = request.ECB->GetServerVariable(request.ECB->ConnID, key.data(), buffer.data(), &size);
    else if (request.FilterContext && request.FilterContext->GetServerVariable)
        found = request.FilterContext->GetServerVariable(request.FilterContext, key.data(), buffer.data(), &size);
    if (!found) return "";
    return UpToZero(buffer.data(), std::min(size, ServerVariableSize));
}

std::string TISAPIEngine::GetField(const std::string& Name, const std::string& Default) {
    return IsapiRequest().Fields.Find(Name, Default);
}

std::vector<std::string> TISAPIEngine::GetFieldNames() { return IsapiRequest().Fields.Names(); }

std::vector<std::string> TISAPIEngine::GetFieldValues(const std::string& Name) { return IsapiRequest().Fields.Values(Name); }

void TISAPIEngine::Write(const std::string& S) {
    TIsapiRequestState& request = IsapiRequest();
    struct TextMark {
        bool& flag;
        bool was;
        ~TextMark() { flag = was; }
    } mark{request.WritingText, request.WritingText};
    request.WritingText = true;
    THttpEngine::Write(S);
}

// A Location header becomes the server's own redirect answer; that answer is complete, so no
// header of ours follows it.
void TISAPIEngine::WriteHeader(const std::string& Name, const std::string& Value) {
    TIsapiRequestState& request = IsapiRequest();
    if (!request.ECB) return;
    if (UpperCase(Name) != "LOCATION") {
        THttpEngine::WriteHeader(Name, Value);
        return;
    }
    THttpRequestState& state = RequestState();
    state.FirstHeaderDone = true;
    state.HeaderSent = true;
    std::string url = Value;
    DWORD size = static_cast<DWORD>(url.size());
    if (request.ECB->ServerSupportFunction)
        request.ECB->ServerSupportFunction(request.ECB->ConnID, HSE_REQ_SEND_URL_REDIRECT_RESP, url.data(), &size,
                                           nullptr);
}

void TISAPIEngine::SendToClient(const char* Data, size_t Count) {
    TIsapiRequestState& request = IsapiRequest();
    DWORD size = static_cast<DWORD>(Count);
    void* bytes = const_cast<char*>(Data);
    if (request.ECB) {
        if (request.ECB->WriteClient) request.ECB->WriteClient(request.ECB->ConnID, bytes, &size, 0);
        return;
    }
    HTTP_FILTER_CONTEXT* context = request.FilterContext;
    if (!context) return;
    if (request.WritingText && request.NotificationType == SF_NOTIFY_SEND_RAW_DATA)
        request.RawSendText.append(Data, Count);
    else if (context->WriteClient)
        context->WriteClient(context, bytes, &size, 0);
}

}  // namespace tallyhouse::engine
