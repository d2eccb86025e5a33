// Starts a real web server (lighttpd, Apache with mod_cgid, or nginx with fcgiwrap) on
// 127.0.0.1 with a configuration written for the test, serving a program folder at /cgi-bin/.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/http_client.h"

namespace testsupport {

enum class WebServerKind { Lighttpd, Apache, Nginx };

const char* WebServerName(WebServerKind kind);
// True when the server's binary (and for nginx, fcgiwrap) is installed.
bool WebServerInstalled(WebServerKind kind);

class WebServer {
public:
    // programDir holds tallyhouse.cgi; it must be writable by the server's CGI user.
    WebServer(WebServerKind kind, const std::filesystem::path& programDir);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    bool Running() const { return running_; }
    int Port() const { return port_.Port(); }
    // The server's error log, for failure messages.
    std::string ErrorLog() const;

private:
    void WriteLighttpd();
    void WriteApache();
    void WriteNginx();
    pid_t Spawn(const std::vector<std::string>& argv);
    bool WaitUntilServing();

    WebServerKind kind_;
    std::filesystem::path programDir_;
    std::filesystem::path confDir_;
    PortReservation port_;
    bool running_ = false;
    // Each server process leads a process group of its own, which holds its workers too.
    std::vector<pid_t> groups_;
};

}  // namespace testsupport
