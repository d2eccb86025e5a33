// A test's own ISAPI server: fills an extension control block as a web server would (server
// variables, a preloaded and a streamed part of the body, WriteClient, ReadClient,
// ServerSupportFunction) and records what the extension did with it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>

#include "engine/isapi/isapi_types.h"

namespace testsupport {

struct IsapiCall {
    std::string method = "GET";
    std::string query;
    std::string pathInfo;
    std::string pathTranslated;
    std::string contentType;
    std::string body;
    // Body bytes the server preloads into the control block; the rest is streamed.
    size_t preloaded = 49152;
    // The most bytes one ReadClient call delivers (a server hands out what it has).
    size_t readPiece = 65536;
    // Server variables by name; REQUEST_METHOD, QUERY_STRING, CONTENT_LENGTH and CONTENT_TYPE
    // come from the fields above unless given here.
    std::map<std::string, std::string> variables = {
        {"SERVER_SOFTWARE", "Microsoft-IIS/5.0"}, {"REMOTE_ADDR", "127.0.0.1"}, {"SCRIPT_NAME", "/scripts/tallyhouse.dll"}};
};

struct IsapiAnswer {
    tallyhouse::engine::DWORD status = 0;
    std::string output;    // every byte handed to WriteClient
    std::string header;    // output up to the blank line
    std::string body;      // output after it
    std::string redirect;  // the URL of a HSE_REQ_SEND_URL_REDIRECT_RESP call
    int supportCalls = 0;
    std::string logData;   // the control block's log field after the call
    size_t streamed = 0;   // body bytes handed out through ReadClient
    int readCalls = 0;
};

using ExtensionProcFn = tallyhouse::engine::DWORD (*)(tallyhouse::engine::EXTENSION_CONTROL_BLOCK*);

// Serves one call through Proc.
IsapiAnswer CallExtension(ExtensionProcFn proc, const IsapiCall& call);

// A private copy of tallyhouse_isapi.so in Folder, loaded with dlopen: the application keeps
// its poll files and Log/ beside the library, and every copy is a library of its own.
class IsapiLibrary {
public:
    explicit IsapiLibrary(const std::filesystem::path& folder);
    ~IsapiLibrary();
    IsapiLibrary(const IsapiLibrary&) = delete;
    IsapiLibrary& operator=(const IsapiLibrary&) = delete;

    IsapiAnswer Call(const IsapiCall& call) const { return CallExtension(httpExtensionProc, call); }

    tallyhouse::engine::BOOL (*getExtensionVersion)(tallyhouse::engine::HSE_VERSION_INFO*) = nullptr;
    ExtensionProcFn httpExtensionProc = nullptr;
    tallyhouse::engine::BOOL (*terminateExtension)(tallyhouse::engine::DWORD) = nullptr;
    tallyhouse::engine::BOOL (*getFilterVersion)(tallyhouse::engine::HTTP_FILTER_VERSION*) = nullptr;
    tallyhouse::engine::DWORD (*httpFilterProc)(tallyhouse::engine::HTTP_FILTER_CONTEXT*, tallyhouse::engine::DWORD, void*) = nullptr;

private:
    void* handle_ = nullptr;
};

}  // namespace testsupport
