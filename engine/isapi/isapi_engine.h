// The ISAPI engine: serves the requests and filter notifications that a web server hands to
// the program loaded as its server-extension library, through the extension control block's
// and the filter context's callbacks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/facade/general_http_engine.h"
#include "engine/core/http_engine.h"
#include "engine/core/request_events.h"
#include "engine/form/form_fields.h"
#include "engine/isapi/isapi_types.h"

namespace tallyhouse::engine {

// The ISAPI events the facade hands over besides the common settings.
struct TIsapiEvents {
    THttpFilterProcEvent OnHttpFilterProc;
    THttpExtensionVersionEvent OnHttpExtensionVersion;
    THttpFilterVersionEvent OnHttpFilterVersion;
};

class TISAPIEngine : public THttpEngine {
public:
    TISAPIEngine();
    TISAPIEngine(const THttpEngineProperties& properties, const TIsapiEvents& events);
    ~TISAPIEngine() override;

    THttpExtensionVersionEvent OnHttpExtensionVersion;
    THttpFilterVersionEvent OnHttpFilterVersion;
    THttpFilterProcEvent OnHttpFilterProc;

    bool IsActive() override;
    void ExecRequest() override;
    int GetContentLength() override;
    int ReadClient(void* Buffer, int Count) override;
    std::string GetExecutablePath() override;
    void Write(const std::string& S) override;
    void WriteHeader(const std::string& Name, const std::string& Value) override;
    std::string GetVariable(const std::string& Name) override;
    std::string GetField(const std::string& Name, const std::string& Default) override;
    std::vector<std::string> GetFieldNames() override;
    std::vector<std::string> GetFieldValues(const std::string& Name) override;

    // The work of the five exported entry points.
    BOOL ExtensionVersion(HSE_VERSION_INFO& Ver);
    DWORD ExtensionProc(EXTENSION_CONTROL_BLOCK& ECB);
    BOOL Terminate(DWORD Flags);
    BOOL FilterVersion(HTTP_FILTER_VERSION& Ver);
    DWORD FilterProc(HTTP_FILTER_CONTEXT& Context, DWORD NotificationType, void* Notification);

protected:
    void SendToClient(const char* Data, size_t Count) override;

private:
    void ReadFormData();
    void ReadUrlEncodedBody(DWORD remaining, std::string& data);
    std::string ServerVariable(const std::string& name);

    TRequestEvents requestEvents_;
};

// The per-thread state of the request or filter notification being served.
struct TIsapiRequestState {
    EXTENSION_CONTROL_BLOCK* ECB = nullptr;  // none while a filter notification runs
    HTTP_FILTER_CONTEXT* FilterContext = nullptr;
    DWORD NotificationType = 0;
    TFormFields Fields;
    DWORD ReadPosition = 0;       // next preloaded byte that ReadClient hands out
    DWORD BytesNotPreloaded = 0;  // body bytes the server has still to deliver
    int ContentLength = 0;        // the request's total body size
    std::string Cookie;           // taken from the raw request data of a filter notification
    std::string RawSendText;      // text written during a raw-data send notification
    bool WritingText = false;
};

TIsapiRequestState& IsapiRequest();

// The one ISAPI engine of the process (none before it is created).
TISAPIEngine* IsapiEngine();

// What a filter takes from raw request text: the form data (query string, plus an url-encoded
// POST body) and the cookie line.
struct TRawRequestData {
    std::string FormData;
    std::string Cookie;
};
TRawRequestData ParseRawRequest(std::string_view text);

// A script path given as a file path ("C:\web\bin\prog.dll") becomes its last folder and file
// as a URL path ("/bin/prog.dll"); any other value stays as it is.
std::string ScriptUrlPath(const std::string& scriptName);

// Copies Message into the server's log field: at most 79 characters and a terminating zero.
void CopyToLogField(char (&field)[HSE_LOG_BUFFER_LEN], const std::string& message);

}  // namespace tallyhouse::engine
