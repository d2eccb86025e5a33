// The NSAPI server structures and the signatures of the server functions the NSAPI engine
// calls, in the published layout (a Unix server: sockets are file descriptors).
#pragma once

namespace tallyhouse::engine {

extern "C" {

using SYS_NETFD = int;
using CRITICAL = void*;

// The server's name-value list; only the server's functions look inside it.
struct pblock;

struct pb_param {
    char* name;
    char* value;
};

struct netbuf {
    SYS_NETFD sd;
    int pos;
    int cursize;
    int maxsize;
    int rdtmout;
    char* address;
    unsigned char* inbuf;
    char* errmsg;
};

struct Session {
    pblock* client;
    SYS_NETFD csd;
    netbuf* inbuf;
    int csd_open;
};

struct Request {
    pblock* vars;
    pblock* reqpb;
    int loadhdrs;
    pblock* headers;
    int senthdrs;
    pblock* srvhdrs;
};

// netbuf_next's answers when no byte follows.
inline constexpr int IO_EOF = -1;
inline constexpr int IO_ERROR = -2;

using net_write_t = int (*)(SYS_NETFD sd, char* buf, int sz);
using netbuf_next_t = int (*)(netbuf* buf, int timeout);
using pblock_findval_t = char* (*)(const char* name, pblock* pb);
using pblock_nvinsert_t = pb_param* (*)(const char* name, const char* value, pblock* pb);
using pblock_fr_t = pb_param* (*)(const char* name, pblock* pb, int remove);
using param_free_t = int (*)(pb_param* pp);
using request_header_t = int (*)(char* name, char** value, Session* sn, Request* rq);
using http_status_t = void (*)(Session* sn, Request* rq, int n, char* r);
using http_start_response_t = int (*)(Session* sn, Request* rq);
using crit_init_t = CRITICAL (*)();
using crit_enter_t = void (*)(CRITICAL id);
using crit_exit_t = void (*)(CRITICAL id);
using crit_terminate_t = void (*)(CRITICAL id);

}  // extern "C"

}  // namespace tallyhouse::engine
