// The structures, callbacks and constants of the ISAPI server-extension interface in their
// published layout: 32-bit DWORDs and BOOLs, pointer-sized handles, plain C calling convention.
#pragma once

#include <cstdint>

namespace tallyhouse::engine {

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HCONN = void*;
using ULONG_PTR = std::uintptr_t;

inline constexpr BOOL ISAPI_FALSE = 0;
inline constexpr BOOL ISAPI_TRUE = 1;

inline constexpr DWORD HSE_MAX_EXT_DLL_NAME_LEN = 256;
inline constexpr DWORD HSE_LOG_BUFFER_LEN = 80;
inline constexpr DWORD SF_MAX_FILTER_DESC_LEN = 257;

// Answers of HttpExtensionProc.
inline constexpr DWORD HSE_STATUS_SUCCESS = 1;
inline constexpr DWORD HSE_STATUS_SUCCESS_AND_KEEP_CONN = 2;
inline constexpr DWORD HSE_STATUS_PENDING = 3;
inline constexpr DWORD HSE_STATUS_ERROR = 4;

// Requests of the extension control block's ServerSupportFunction.
inline constexpr DWORD HSE_REQ_SEND_URL_REDIRECT_RESP = 1;
inline constexpr DWORD HSE_REQ_SEND_URL = 2;
inline constexpr DWORD HSE_REQ_SEND_RESPONSE_HEADER = 3;
inline constexpr DWORD HSE_REQ_DONE_WITH_SESSION = 4;

// Flags of TerminateExtension.
inline constexpr DWORD HSE_TERM_ADVISORY_UNLOAD = 1;
inline constexpr DWORD HSE_TERM_MUST_UNLOAD = 2;

// Filter notifications.
inline constexpr DWORD SF_NOTIFY_SEND_RAW_DATA = 0x00000400;
inline constexpr DWORD SF_NOTIFY_PREPROC_HEADERS = 0x00004000;
inline constexpr DWORD SF_NOTIFY_READ_RAW_DATA = 0x00008000;

// Answers of HttpFilterProc.
inline constexpr DWORD SF_STATUS_REQ_FINISHED = 0x8000000;
inline constexpr DWORD SF_STATUS_REQ_FINISHED_KEEP_CONN = 0x8000001;
inline constexpr DWORD SF_STATUS_REQ_NEXT_NOTIFICATION = 0x8000002;
inline constexpr DWORD SF_STATUS_REQ_HANDLED_NOTIFICATION = 0x8000003;
inline constexpr DWORD SF_STATUS_REQ_ERROR = 0x8000004;
inline constexpr DWORD SF_STATUS_REQ_READ_NEXT = 0x8000005;

extern "C" {

struct HSE_VERSION_INFO {
    DWORD dwExtensionVersion;
    char lpszExtensionDesc[HSE_MAX_EXT_DLL_NAME_LEN];
};

struct EXTENSION_CONTROL_BLOCK {
    DWORD cbSize;
    DWORD dwVersion;
    HCONN ConnID;
    DWORD dwHttpStatusCode;
    char lpszLogData[HSE_LOG_BUFFER_LEN];
    char* lpszMethod;
    char* lpszQueryString;
    char* lpszPathInfo;
    char* lpszPathTranslated;
    DWORD cbTotalBytes;
    DWORD cbAvailable;
    unsigned char* lpbData;
    char* lpszContentType;
    BOOL (*GetServerVariable)(HCONN hConn, char* lpszVariableName, void* lpvBuffer, DWORD* lpdwSize);
    BOOL (*WriteClient)(HCONN ConnID, void* Buffer, DWORD* lpdwBytes, DWORD dwReserved);
    BOOL (*ReadClient)(HCONN ConnID, void* lpvBuffer, DWORD* lpdwSize);
    BOOL (*ServerSupportFunction)(HCONN hConn, DWORD dwHSERequest, void* lpvBuffer, DWORD* lpdwSize,
                                  DWORD* lpdwDataType);
};

struct THTTP_FILTER_CONTEXT {
    DWORD cbSize;
    DWORD Revision;
    void* ServerContext;
    DWORD ulReserved;
    BOOL fIsSecurePort;
    void* pFilterContext;
    BOOL (*GetServerVariable)(THTTP_FILTER_CONTEXT* pfc, char* lpszVariableName, void* lpvBuffer, DWORD* lpdwSize);
    BOOL (*AddResponseHeaders)(THTTP_FILTER_CONTEXT* pfc, char* lpszHeaders, DWORD dwReserved);
    BOOL (*WriteClient)(THTTP_FILTER_CONTEXT* pfc, void* Buffer, DWORD* lpdwBytes, DWORD dwReserved);
    void* (*AllocMem)(THTTP_FILTER_CONTEXT* pfc, DWORD cbSize, DWORD dwReserved);
    BOOL (*ServerSupportFunction)(THTTP_FILTER_CONTEXT* pfc, DWORD sfReq, void* pData, ULONG_PTR ul1, ULONG_PTR ul2);
};
using HTTP_FILTER_CONTEXT = THTTP_FILTER_CONTEXT;

struct HTTP_FILTER_RAW_DATA {
    void* pvInData;
    DWORD cbInData;
    DWORD cbInBuffer;
    DWORD dwReserved;
};

struct HTTP_FILTER_VERSION {
    DWORD dwServerFilterVersion;
    DWORD dwFilterVersion;
    char lpszFilterDesc[SF_MAX_FILTER_DESC_LEN];
    DWORD dwFlags;
};

// The five entry points a server-extension library exports.
BOOL GetExtensionVersion(HSE_VERSION_INFO* pVer);
DWORD HttpExtensionProc(EXTENSION_CONTROL_BLOCK* ECB);
BOOL TerminateExtension(DWORD dwFlags);
BOOL GetFilterVersion(HTTP_FILTER_VERSION* pVer);
DWORD HttpFilterProc(HTTP_FILTER_CONTEXT* pfc, DWORD NotificationType, void* pvNotification);

}  // extern "C"

}  // namespace tallyhouse::engine
