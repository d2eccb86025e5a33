#include "tests/support/isapi_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace tallyhouse::engine;

namespace testsupport {

namespace {

struct Connection {
    const IsapiCall* call;
    std::map<std::string, std::string> variables;
    size_t bodyAt;
    IsapiAnswer answer;
};

Connection& Of(HCONN conn) { return *static_cast<Connection*>(conn); }

BOOL GetServerVariable(HCONN conn, char* name, void* buffer, DWORD* size) {
    const auto& variables = Of(conn).variables;
    const auto found = variables.find(name);
    if (found == variables.end()) return 0;
    const std::string& value = found->second;
    if (value.size() + 1 > *size) {
        *size = static_cast<DWORD>(value.size() + 1);
        return 0;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    *size = static_cast<DWORD>(value.size() + 1);
    return 1;
}

BOOL WriteClient(HCONN conn, void* buffer, DWORD* bytes, DWORD) {
    Of(conn).answer.output.append(static_cast<const char*>(buffer), *bytes);
    return 1;
}

BOOL ReadClient(HCONN conn, void* buffer, DWORD* size) {
    Connection& c = Of(conn);
    ++c.answer.readCalls;
    const std::string& body = c.call->body;
    const size_t n = std::min({static_cast<size_t>(*size), body.size() - c.bodyAt, c.call->readPiece});
    std::memcpy(buffer, body.data() + c.bodyAt, n);
    c.bodyAt += n;
    c.answer.streamed += n;
    *size = static_cast<DWORD>(n);
    return 1;
}

BOOL ServerSupportFunction(HCONN conn, DWORD request, void* buffer, DWORD* size, DWORD*) {
    IsapiAnswer& answer = Of(conn).answer;
    ++answer.supportCalls;
    if (request != HSE_REQ_SEND_URL_REDIRECT_RESP) return 0;
    const char* url = static_cast<const char*>(buffer);
    answer.redirect.assign(url, size ? strnlen(url, *size) : std::strlen(url));
    return 1;
}

void Split(IsapiAnswer& answer) {
    const size_t end = answer.output.find("\r\n\r\n");
    if (end == std::string::npos) {
        answer.body = answer.output;
        return;
    }
    answer.header = answer.output.substr(0, end);
    answer.body = answer.output.substr(end + 4);
}

}  // namespace

IsapiAnswer CallExtension(ExtensionProcFn proc, const IsapiCall& call) {
    Connection connection{&call, call.variables, 0, {}};
    auto add = [&](const char* name, const std::string& value) { connection.variables.emplace(name, value); };
    add("REQUEST_METHOD", call.method);
    add("QUERY_STRING", call.query);
    add("CONTENT_LENGTH", std::to_string(call.body.size()));
    add("CONTENT_TYPE", call.contentType);

    std::string method = call.method, query = call.query, pathInfo = call.pathInfo;
    std::string pathTranslated = call.pathTranslated, contentType = call.contentType;
    std::string preloaded = call.body.substr(0, std::min(call.preloaded, call.body.size()));
    connection.bodyAt = preloaded.size();

    EXTENSION_CONTROL_BLOCK ecb{};
    ecb.cbSize = sizeof ecb;
    ecb.dwVersion = 0x00050000;
    ecb.ConnID = &connection;
    ecb.lpszMethod = method.data();
    ecb.lpszQueryString = query.data();
    ecb.lpszPathInfo = pathInfo.data();
    ecb.lpszPathTranslated = pathTranslated.data();
    ecb.cbTotalBytes = static_cast<DWORD>(call.body.size());
    ecb.cbAvailable = static_cast<DWORD>(preloaded.size());
    ecb.lpbData = reinterpret_cast<unsigned char*>(preloaded.data());
    ecb.lpszContentType = contentType.data();
    ecb.GetServerVariable = GetServerVariable;
    ecb.WriteClient = WriteClient;
    ecb.ReadClient = ReadClient;
    ecb.ServerSupportFunction = ServerSupportFunction;

    connection.answer.status = proc(&ecb);
    connection.answer.logData.assign(ecb.lpszLogData, strnlen(ecb.lpszLogData, sizeof ecb.lpszLogData));
    Split(connection.answer);
    return connection.answer;
}

IsapiLibrary::IsapiLibrary(const std::filesystem::path& folder) {
    // A copy, not a link: the loader takes a file it already holds for the same library.
    const std::filesystem::path copy = folder / "tallyhouse_isapi.so";
    std::filesystem::copy_file(TALLYHOUSE_ISAPI_LIBRARY, copy, std::filesystem::copy_options::overwrite_existing);
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(std::string("cannot load the library: ") + dlerror());
    auto bind = [this](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(handle_, name));
        if (!entry) throw std::runtime_error(std::string("the library does not export ") + name);
    };
    bind(getExtensionVersion, "GetExtensionVersion");
    bind(httpExtensionProc, "HttpExtensionProc");
    bind(terminateExtension, "TerminateExtension");
    bind(getFilterVersion, "GetFilterVersion");
    bind(httpFilterProc, "HttpFilterProc");
}

IsapiLibrary::~IsapiLibrary() {
    if (handle_) dlclose(handle_);
}

}  // namespace testsupport
