// Loading the NSAPI server library and binding its functions by name.
#include "engine/nsapi/nsapi_binding.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace tallyhouse::engine {

namespace {

std::mutex bindingLock;
std::map<std::string, void*> boundFunctions;

const char* const LibraryNames[] = {"ns-httpd50", "ns-httpd40", "ns-httpd35", "ns-httpd30", "ns-httpd20"};

// A function is exported under its name or with "INT" in front; the find-or-remove function
// of parameter blocks also as "_pblock_fr".
std::vector<std::string> ExportNames(const std::string& name) {
    std::vector<std::string> names;
    if (name == "pblock_fr") names = {"_pblock_fr", "INT_pblock_fr"};
    names.push_back(name);
    names.push_back("INT" + name);
    return names;
}

void* LookUp(void* library, const std::string& name) {
    for (const std::string& exported : ExportNames(name))
        if (void* entry = dlsym(library, exported.c_str())) return entry;
    return nullptr;
}

}  // namespace

std::vector<std::string> ServerLibraryCandidates() {
    std::vector<std::string> candidates;
    for (const char* name : LibraryNames) {
        candidates.push_back(std::string(name) + ".dll");
        candidates.push_back("lib" + std::string(name) + ".so");
    }
    return candidates;
}

const std::vector<std::string>& ServerFunctionNames() {
    static const std::vector<std::string> names = {
        "system_version", "MAGNUS_VERSION", "system_version_set", "magnus_atrestart", "system_free",
        "sem_init", "sem_terminate", "sem_grab", "sem_tgrab", "sem_release",
        "crit_init", "crit_enter", "crit_exit", "crit_terminate",
        "net_socket", "net_getsockopt", "net_setsockopt", "net_listen", "net_create_listener", "net_select",
        "net_connect", "net_ioctl", "net_getpeername", "net_close", "net_bind", "net_accept", "net_read",
        "net_write", "net_isalive", "net_ip2host",
        "netbuf_open", "netbuf_next", "netbuf_close", "netbuf_grap", "netbuf_buf2sd",
        "param_create", "param_free",
        "pblock_create", "pblock_free", "pblock_findval", "pblock_nvinsert", "pblock_nninsert", "pblock_pinsert",
        "pblock_str2pblock", "pblock_pblock2str", "pblock_copy", "pblock_dup", "pblock_pb2env", "pblock_fr",
        "request_create", "request_free", "request_restart_internal", "request_header", "request_stat_path",
        "request_handle", "request_translate_uri",
        "http_find_request", "protocol_parse_request", "http_parse_request", "protocol_scan_headers",
        "protocol_start_response", "http_start_response", "http_hdrs2env", "protocol_status", "http_status",
        "protocol_set_finfo", "http_set_finfo", "protocol_finish_request", "http_finish_request",
        "protocol_handle_session", "http_handle_session", "protocol_uri2url", "protocol_uri2url_dynamic",
        "http_uri2url", "http_uri2url_dynamic", "protocol_set_keepalive_timeout", "http_set_keepalive_timeout",
        "http_dump82", "func_init", "func_find", "func_exec", "func_insert", "NSstr2String",
        "ereport_init", "ereport_terminate", "ereport_getfd",
    };
    return names;
}

bool BindServerLibrary(const std::vector<std::string>& candidates) {
    void* library = nullptr;
    for (const std::string& name : candidates)
        if ((library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
    if (!library) return false;
    const std::lock_guard<std::mutex> guard(bindingLock);
    for (const std::string& name : ServerFunctionNames()) boundFunctions[name] = LookUp(library, name);
    return true;
}

bool BindServerLibrary() { return BindServerLibrary(ServerLibraryCandidates()); }

void* ServerFunction(const std::string& name) {
    const std::lock_guard<std::mutex> guard(bindingLock);
    const auto found = boundFunctions.find(name);
    return found == boundFunctions.end() ? nullptr : found->second;
}

}  // namespace tallyhouse::engine
