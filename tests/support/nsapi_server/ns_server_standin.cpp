// A stand-in for a Netscape-interface web server's library, as the tests load it: parameter
// blocks, the socket and input buffer as file descriptors, the response start and critical
// sections. Some functions carry the alternative export names a server may use.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engine/nsapi/nsapi_types.h"

using namespace tallyhouse::engine;

struct tallyhouse::engine::pblock {
    std::vector<pb_param*> params;
};

namespace {

pb_param* NewParam(const char* name, const char* value) { return new pb_param{strdup(name), strdup(value)}; }

pb_param* Find(const char* name, pblock* pb, bool remove) {
    for (auto at = pb->params.begin(); at != pb->params.end(); ++at) {
        if (std::strcmp((*at)->name, name) != 0) continue;
        pb_param* found = *at;
        if (remove) pb->params.erase(at);
        return found;
    }
    return nullptr;
}

void FreeParam(pb_param* pp) {
    std::free(pp->name);
    std::free(pp->value);
    delete pp;
}

}  // namespace

extern "C" {

pblock* pblock_create(int) { return new pblock; }

void pblock_free(pblock* pb) {
    for (pb_param* pp : pb->params) FreeParam(pp);
    delete pb;
}

char* pblock_findval(const char* name, pblock* pb) {
    pb_param* found = Find(name, pb, false);
    return found ? found->value : nullptr;
}

pb_param* pblock_nvinsert(const char* name, const char* value, pblock* pb) {
    pb->params.push_back(NewParam(name, value));
    return pb->params.back();
}

pb_param* _pblock_fr(const char* name, pblock* pb, int remove) { return Find(name, pb, remove != 0); }

int param_free(pb_param* pp) {
    FreeParam(pp);
    return 0;
}

int INTnet_write(SYS_NETFD sd, char* buf, int sz) { return static_cast<int>(write(sd, buf, static_cast<size_t>(sz))); }

int netbuf_next(netbuf* buf, int) {
    const ssize_t n = read(buf->sd, buf->inbuf, static_cast<size_t>(buf->maxsize));
    if (n < 0) return IO_ERROR;
    if (n == 0) return IO_EOF;
    buf->cursize = static_cast<int>(n);
    buf->pos = 1;
    return buf->inbuf[0];
}

// Headers the server reads only when asked ("x-loaded-late") besides those already loaded.
int request_header(char* name, char** value, Session*, Request* rq) {
    static char late[] = "loaded on request";
    *value = std::strcmp(name, "x-loaded-late") == 0 ? late : pblock_findval(name, rq->headers);
    return 0;
}

void http_status(Session*, Request* rq, int n, char* r) {
    if (pb_param* old = Find("status", rq->srvhdrs, true)) FreeParam(old);
    const std::string text = std::to_string(n) + " " + (r ? r : "OK");
    pblock_nvinsert("status", text.c_str(), rq->srvhdrs);
}

int http_start_response(Session* sn, Request* rq) {
    const char* status = pblock_findval("status", rq->srvhdrs);
    std::string head = std::string("HTTP/1.0 ") + (status ? status : "200 OK") + "\r\n";
    for (const pb_param* pp : rq->srvhdrs->params)
        if (std::strcmp(pp->name, "status") != 0) head += std::string(pp->name) + ": " + pp->value + "\r\n";
    head += "\r\n";
    rq->senthdrs = 1;
    return static_cast<int>(write(sn->csd, head.data(), head.size()));
}

CRITICAL crit_init() { return new std::mutex; }
void crit_enter(CRITICAL id) { static_cast<std::mutex*>(id)->lock(); }
void crit_exit(CRITICAL id) { static_cast<std::mutex*>(id)->unlock(); }
void crit_terminate(CRITICAL id) { delete static_cast<std::mutex*>(id); }

}  // extern "C"
