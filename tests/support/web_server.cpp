#include "tests/support/web_server.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/cgi_runner.h"
#include "tests/support/child_processes.h"
#include "tests/support/http_client.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

bool Executable(const char* path) { return access(path, X_OK) == 0; }

}  // namespace

void WebServer::WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

const char* WebServerName(WebServerKind kind) {
    switch (kind) {
        case WebServerKind::Lighttpd: return "lighttpd";
        case WebServerKind::Apache: return "apache";
        case WebServerKind::Nginx: return "nginx";
        case WebServerKind::LighttpdFastCgi: return "lighttpd_fastcgi";
        case WebServerKind::ApacheFastCgi: return "apache_fastcgi";
        case WebServerKind::NginxFastCgi: return "nginx_fastcgi";
    }
    return "?";
}

bool WebServerInstalled(WebServerKind kind) {
    switch (kind) {
        case WebServerKind::Lighttpd: return Executable("/usr/sbin/lighttpd");
        case WebServerKind::Apache: return Executable("/usr/sbin/apache2");
        case WebServerKind::Nginx: return Executable("/usr/sbin/nginx") && Executable("/usr/sbin/fcgiwrap");
        case WebServerKind::LighttpdFastCgi: return Executable("/usr/sbin/lighttpd");
        case WebServerKind::ApacheFastCgi:
            return Executable("/usr/sbin/apache2") && fs::exists("/usr/lib/apache2/modules/mod_proxy_fcgi.so");
        case WebServerKind::NginxFastCgi: return Executable("/usr/sbin/nginx");
    }
    return false;
}

WebServer::WebServer(WebServerKind kind, const fs::path& programDir, std::map<std::string, std::string> programEnvironment)
    : kind_(kind), programDir_(fs::absolute(programDir)), programEnvironment_(std::move(programEnvironment)), confDir_(programDir_.parent_path() / (programDir_.filename().string() + "-server")) {
    fs::create_directories(confDir_);
    switch (kind_) {
        case WebServerKind::Lighttpd: WriteLighttpd(); break;
        case WebServerKind::Apache: WriteApache(); break;
        case WebServerKind::Nginx: WriteNginx(); break;
        case WebServerKind::LighttpdFastCgi: WriteLighttpdFastCgi(); break;
        case WebServerKind::ApacheFastCgi: WriteApacheFastCgi(); break;
        case WebServerKind::NginxFastCgi: WriteNginxFastCgi(); break;
    }
    running_ = !groups_.empty() && WaitUntilServing();
}

// Until the server accepts connections, or its last process has ended (a configuration it
// refused); a minute is a safety net for a loaded machine.
bool WebServer::WaitUntilServing() {
    for (int slice = 0; slice < 300; ++slice) {
        if (WaitForPort(Port(), 200)) return true;
        if (waitpid(groups_.back(), nullptr, WNOHANG) == groups_.back()) return false;
    }
    return false;
}

// Stopping only the server's first process would leave its workers (fcgiwrap's, Apache's) and
// the CGI programs in hand running, so the whole group is stopped, the last started first.
WebServer::~WebServer() {
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) StopProcessGroup(*it, 10);
    std::error_code ec;
    if (!getenv("TALLYHOUSE_KEEP_SCRATCH")) fs::remove_all(confDir_, ec);
}

std::string WebServer::ErrorLog() const { return ReadFile(confDir_ / "error.log"); }

pid_t WebServer::Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const std::string log = (confDir_ / "stderr.log").string();
        freopen("/dev/null", "r", stdin);
        freopen(log.c_str(), "a", stdout);
        freopen(log.c_str(), "a", stderr);
        execv(args[0], args.data());
        _exit(127);
    }
    // Both sides make the child a group leader, so the group exists whichever runs first.
    setpgid(pid, pid);
    groups_.push_back(pid);
    return pid;
}

std::string WebServer::LighttpdPairs() const {
    std::string pairs;
    for (const auto& [name, value] : programEnvironment_) pairs += (pairs.empty() ? "" : ", ") + ("\"" + name + "\" => \"" + value + "\"");
    return pairs;
}

std::string WebServer::ApacheSetEnv() const {
    std::string lines;
    for (const auto& [name, value] : programEnvironment_) lines += "SetEnv " + name + " \"" + value + "\"\n";
    return lines;
}

std::string WebServer::NginxParams() const {
    std::string lines;
    for (const auto& [name, value] : programEnvironment_) lines += "   fastcgi_param " + name + " \"" + value + "\";\n";
    return lines;
}

void WebServer::WriteLighttpd() {
    const fs::path conf = confDir_ / "lighttpd.conf";
    WriteText(conf, "server.document-root = \"" + programDir_.string() + "\"\n"
                    "server.bind = \"127.0.0.1\"\n"
                    "server.port = " + std::to_string(Port()) + "\n"
                    "server.modules = (\"mod_indexfile\", \"mod_alias\", \"mod_cgi\", \"mod_setenv\")\n"
                    "setenv.add-environment = (" + LighttpdPairs() + ")\n"
                    "mimetype.assign = (\".html\" => \"text/html\", \".png\" => \"image/png\")\n"
                    "index-file.names = (\"index.html\")\n"
                    "server.errorlog = \"" + (confDir_ / "error.log").string() + "\"\n"
                    "alias.url = (\"/cgi-bin/\" => \"" + programDir_.string() + "/\")\n"
                    "$HTTP[\"url\"] =~ \"^/cgi-bin/\" { cgi.assign = (\".cgi\" => \"\") }\n");
    Spawn({"/usr/sbin/lighttpd", "-D", "-f", conf.string()});
}

// What both Apache configurations begin with: its files in the server's folder, the port,
// the event MPM; as root it runs as www-data, as sites do.
std::string WebServer::ApacheHead() {
    const std::string modules = "/usr/lib/apache2/modules/";
    std::string text =
        "ServerRoot \"" + confDir_.string() + "\"\n"
        "ServerName 127.0.0.1\n"
        "Listen 127.0.0.1:" + std::to_string(Port()) + "\n"
        "PidFile \"" + (confDir_ / "apache.pid").string() + "\"\n"
        "DefaultRuntimeDir \"" + confDir_.string() + "\"\n"
        "ErrorLog \"" + (confDir_ / "error.log").string() + "\"\n"
        "LoadModule mpm_event_module " + modules + "mod_mpm_event.so\n"
        "LoadModule authz_core_module " + modules + "mod_authz_core.so\n";
    if (geteuid() == 0) {
        text += "User www-data\nGroup www-data\n";
        fs::permissions(programDir_, fs::perms::all);
        fs::permissions(confDir_, fs::perms::all);
    }
    return text;
}

void WebServer::SpawnApache(const std::string& configuration) {
    const fs::path conf = confDir_ / "apache2.conf";
    WriteText(conf, configuration);
    Spawn({"/usr/sbin/apache2", "-f", conf.string(), "-DFOREGROUND"});
}

// Apache runs CGI programs through mod_cgid as an unprivileged user, as sites do.
void WebServer::WriteApache() {
    const std::string modules = "/usr/lib/apache2/modules/";
    std::string text = ApacheHead() +
        "LoadModule alias_module " + modules + "mod_alias.so\n"
        "LoadModule cgid_module " + modules + "mod_cgid.so\n"
        "LoadModule env_module " + modules + "mod_env.so\n" + ApacheSetEnv() +
        "ScriptSock \"" + (confDir_ / "cgid.sock").string() + "\"\n"
        "DocumentRoot \"" + programDir_.string() + "\"\n"
        "ScriptAlias /cgi-bin/ \"" + programDir_.string() + "/\"\n"
        "<Directory \"" + programDir_.string() + "\">\n  Require all granted\n</Directory>\n";
    SpawnApache(text);
}

// What both nginx configurations begin with, up to the server's locations: one process, no
// master, its files in the server's folder.
std::string WebServer::NginxHead() {
    const std::string temp = (confDir_ / "temp").string();
    fs::create_directories(temp);
    return "daemon off;\nmaster_process off;\n"
           "pid \"" + (confDir_ / "nginx.pid").string() + "\";\n"
           "error_log \"" + (confDir_ / "error.log").string() + "\";\n"
           "events { worker_connections 256; }\n"
           "http {\n access_log off;\n"
           " client_body_temp_path \"" + temp + "\";\n fastcgi_temp_path \"" + temp + "\";\n"
           " proxy_temp_path \"" + temp + "\";\n"
           " server {\n  listen 127.0.0.1:" + std::to_string(Port()) + ";\n";
}

// nginx hands CGI to fcgiwrap over a unix socket; one nginx process, no master.
void WebServer::WriteNginx() {
    const fs::path socket = confDir_ / "fcgiwrap.sock";
    const fs::path conf = confDir_ / "nginx.conf";
    WriteText(conf, NginxHead() +
              "  root \"" + programDir_.string() + "\";\n"
              "  location /cgi-bin/ {\n   include /etc/nginx/fastcgi_params;\n"
              "   fastcgi_param SCRIPT_FILENAME \"" + programDir_.string() + "/tallyhouse.cgi\";\n"
              "   fastcgi_param SCRIPT_NAME /cgi-bin/tallyhouse.cgi;\n" + NginxParams() +
              "   fastcgi_pass unix:" + socket.string() + ";\n  }\n }\n}\n");
    Spawn({"/usr/sbin/fcgiwrap", "-c", "4", "-s", "unix:" + socket.string()});
    for (int i = 0; i < 3000 && !fs::exists(socket); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Spawn({"/usr/sbin/nginx", "-p", confDir_.string(), "-c", conf.string()});
}

}  // namespace testsupport
