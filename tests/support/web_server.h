// Starts a real web server (lighttpd, Apache with mod_cgid, or nginx with fcgiwrap) on
// 127.0.0.1 with a configuration written for the test, serving a program folder at /cgi-bin/.
// The FastCGI kinds serve the program as a FastCGI server at /cgi-bin/tallyhouse.cgi: lighttpd
// starts it itself (mod_fastcgi with bin-path), nginx (fastcgi_pass) and Apache (mod_proxy_fcgi)
// reach it on the unix socket of a "--fastcgi" start of its own (tests/support/web_server_fastcgi.cpp).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/http_client.h"

namespace testsupport {

enum class WebServerKind { Lighttpd, Apache, Nginx, LighttpdFastCgi, ApacheFastCgi, NginxFastCgi };

// Workers of the FastCGI kinds.
inline constexpr int FastCgiTestWorkers = 2;

const char* WebServerName(WebServerKind kind);
// True when the server's binary (and for nginx, fcgiwrap) is installed.
bool WebServerInstalled(WebServerKind kind);

class WebServer {
public:
    // programDir holds tallyhouse.cgi; it must be writable by the server's CGI user. The program
    // gets programEnvironment as sites set its settings: through the server's configuration, or
    // in the environment of a FastCGI start of its own.
    WebServer(WebServerKind kind, const std::filesystem::path& programDir,
              std::map<std::string, std::string> programEnvironment = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    bool Running() const { return running_; }
    int Port() const { return port_.Port(); }
    // The server's error log, for failure messages.
    std::string ErrorLog() const;
    // FastCGI kinds: the program's worker processes serving now, and the process whose SIGTERM
    // ends the program (its own pool; under lighttpd each worker is such a process).
    std::vector<pid_t> FastCgiWorkers() const;
    pid_t FastCgiServer() const { return fastCgiServer_; }

private:
    void WriteLighttpd();
    void WriteApache();
    std::string ApacheHead();
    void SpawnApache(const std::string& configuration);
    void WriteNginx();
    std::string NginxHead();
    void WriteLighttpdFastCgi();
    void WriteApacheFastCgi();
    void WriteNginxFastCgi();
    // Starts the program as "--fastcgi unix:SOCKET"; false when its socket does not appear.
    bool StartFastCgiProgram();
    std::filesystem::path FastCgiSocket() const { return confDir_ / "tallyhouse.sock"; }
    pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment = {});
    // The settings as lighttpd's key => value pairs, Apache's SetEnv lines, nginx's fastcgi_param lines.
    std::string LighttpdPairs() const;
    std::string ApacheSetEnv() const;
    std::string NginxParams() const;
    bool WaitUntilServing();
    static void WriteText(const std::filesystem::path& path, const std::string& text);

    WebServerKind kind_;
    std::filesystem::path programDir_;
    std::map<std::string, std::string> programEnvironment_;
    std::filesystem::path confDir_;
    PortReservation port_;
    bool running_ = false;
    // Each server process leads a process group of its own, which holds its workers too.
    std::vector<pid_t> groups_;
    pid_t fastCgiServer_ = -1;
};

}  // namespace testsupport
