// The ISAPI engine's version answers and filter notifications, and the reading of raw request
// text that a filter sees.
#include "engine/isapi/isapi_engine.h"

#include <algorithm>
#include <cstring>

#include "platform/text/ascii_text.h"
#include "engine/core/request_state.h"

namespace tallyhouse::engine {

using namespace tallyhouse::platform;

namespace {

constexpr DWORD InterfaceVersion = 0x00020000;
constexpr char ExtensionDescription[] = "GATEWRIGHT 4.0.1";
constexpr size_t CookieLimit = 4096;

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    const size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// The next line of text from At (CR LF or LF ends it), trimmed; At moves past it.
std::string NextLine(std::string_view text, size_t& at) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string line = Trim(text.substr(at, end - at));
    at = std::min(end + 1, text.size());
    return line;
}

std::string QueryOfRequestLine(const std::string& line) {
    const size_t mark = line.find('?');
    if (mark == std::string::npos) return "";
    const size_t blank = line.find(' ', mark);
    return line.substr(mark + 1, blank == std::string::npos ? std::string::npos : blank - mark - 1);
}

}  // namespace

TRawRequestData ParseRawRequest(std::string_view text) {
    TRawRequestData data;
    size_t at = 0;
    const std::string first = NextLine(text, at);
    const bool post = StartsWithIgnoringCase(first, "POST");
    data.FormData = QueryOfRequestLine(first);
    bool urlEncoded = false;
    while (at < text.size()) {
        const std::string line = NextLine(text, at);
        if (line.empty()) break;
        if (post && StartsWithIgnoringCase(line, "CONTENT-TYPE:") && UpperCase(line).find("URLENCODED") != std::string::npos)
            urlEncoded = true;
        if (StartsWithIgnoringCase(line, "COOKIE:")) data.Cookie = Trim(std::string_view(line).substr(7)).substr(0, CookieLimit);
    }
    if (!post || !urlEncoded) return data;
    const std::string body = Trim(text.substr(at));
    if (!body.empty()) data.FormData += (data.FormData.empty() ? "" : "&") + body;
    return data;
}

BOOL TISAPIEngine::ExtensionVersion(HSE_VERSION_INFO& Ver) {
    bool result = true;
    Ver.dwExtensionVersion = InterfaceVersion;
    CopyText(Ver.lpszExtensionDesc, ExtensionDescription);
    if (!OnHttpExtensionVersion) return ISAPI_TRUE;
    try {
        std::uint32_t version = Ver.dwExtensionVersion;
        std::string description = ExtensionDescription;
        OnHttpExtensionVersion(version, description, result);
        Ver.dwExtensionVersion = version;
        CopyText(Ver.lpszExtensionDesc, description);
    } catch (const std::exception& error) {
        LogError(error.what());
        return ISAPI_FALSE;
    }
    return result ? ISAPI_TRUE : ISAPI_FALSE;
}

BOOL TISAPIEngine::FilterVersion(HTTP_FILTER_VERSION& Ver) {
    MakeCurrent();
    Ver.dwFilterVersion = InterfaceVersion;
    Ver.dwFlags = 0;
    if (!OnHttpFilterVersion) return ISAPI_TRUE;
    try {
        std::uint32_t server = Ver.dwServerFilterVersion, filter = Ver.dwFilterVersion, flags = Ver.dwFlags;
        std::string description;
        bool result = true;
        OnHttpFilterVersion(server, filter, description, flags, result);
        Ver.dwFilterVersion = filter;
        Ver.dwFlags = flags;
        CopyText(Ver.lpszFilterDesc, description);
        return result ? ISAPI_TRUE : ISAPI_FALSE;
    } catch (const std::exception& error) {
        LogError(error.what());
        return ISAPI_FALSE;
    }
}

DWORD TISAPIEngine::FilterProc(HTTP_FILTER_CONTEXT& Context, DWORD NotificationType, void* Notification) {
    std::uint32_t result = SF_STATUS_REQ_NEXT_NOTIFICATION;
    MakeCurrent();
    TIsapiRequestState& request = IsapiRequest();
    request.ECB = nullptr;
    request.FilterContext = &Context;
    request.NotificationType = NotificationType;
    // A filter's output is raw data of the server's response: no header of ours, no buffering.
    THttpRequestState& state = RequestState();
    state.HeaderSent = true;
    state.FirstHeaderDone = true;
    state.BufferClosed = true;
    try {
        if (NotificationType == SF_NOTIFY_READ_RAW_DATA && Notification) {
            const auto& raw = *static_cast<const HTTP_FILTER_RAW_DATA*>(Notification);
            const char* text = static_cast<const char*>(raw.pvInData);
            TRawRequestData data = ParseRawRequest(text ? std::string_view(text, raw.cbInData) : std::string_view());
            request.Fields = TFormFields(data.FormData);
            request.Cookie = std::move(data.Cookie);
        }
        if (OnHttpFilterProc) OnHttpFilterProc(Context, NotificationType, Notification, result);
    } catch (const std::exception& error) {
        LogError(error.what());
    }
    request.FilterContext = nullptr;
    return result;
}

}  // namespace tallyhouse::engine
