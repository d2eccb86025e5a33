// The server-extension library's exported entry points: each starts the application once, then
// hands the call to the process's ISAPI engine.
#include "engine/isapi/isapi_exports.h"

#include <mutex>

#include "engine/isapi/isapi_engine.h"

namespace tallyhouse::engine {

namespace {

void (*libraryStart)() = nullptr;

// A start that fails is tried again by the next call; no exception may reach the server.
TISAPIEngine* StartedEngine() {
    static std::once_flag started;
    try {
        std::call_once(started, [] {
            if (libraryStart) libraryStart();
        });
    } catch (const std::exception&) {
        return nullptr;
    }
    return IsapiEngine();
}

}  // namespace

void SetLibraryStart(void (*start)()) { libraryStart = start; }

}  // namespace tallyhouse::engine

using namespace tallyhouse::engine;

extern "C" {

BOOL GetExtensionVersion(HSE_VERSION_INFO* pVer) {
    TISAPIEngine* engine = StartedEngine();
    return engine && pVer ? engine->ExtensionVersion(*pVer) : ISAPI_FALSE;
}

DWORD HttpExtensionProc(EXTENSION_CONTROL_BLOCK* ECB) {
    TISAPIEngine* engine = StartedEngine();
    return engine && ECB ? engine->ExtensionProc(*ECB) : HSE_STATUS_ERROR;
}

BOOL TerminateExtension(DWORD dwFlags) {
    TISAPIEngine* engine = StartedEngine();
    return engine ? engine->Terminate(dwFlags) : ISAPI_TRUE;
}

BOOL GetFilterVersion(HTTP_FILTER_VERSION* pVer) {
    TISAPIEngine* engine = StartedEngine();
    return engine && pVer ? engine->FilterVersion(*pVer) : ISAPI_FALSE;
}

DWORD HttpFilterProc(HTTP_FILTER_CONTEXT* pfc, DWORD NotificationType, void* pvNotification) {
    TISAPIEngine* engine = StartedEngine();
    return engine && pfc ? engine->FilterProc(*pfc, NotificationType, pvNotification)
                         : SF_STATUS_REQ_NEXT_NOTIFICATION;
}

}  // extern "C"
