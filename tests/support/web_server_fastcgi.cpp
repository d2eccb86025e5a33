// The FastCGI configurations of the test web servers: the program is a FastCGI server, with
// FastCgiTestWorkers workers, at /cgi-bin/tallyhouse.cgi.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/fastcgi_client.h"
#include "tests/support/web_server.h"

namespace testsupport {

namespace fs = std::filesystem;

std::vector<pid_t> WebServer::FastCgiWorkers() const {
    if (kind_ == WebServerKind::LighttpdFastCgi) return groups_.empty() ? std::vector<pid_t>() : ChildrenOf(groups_.front());
    return ChildrenOf(fastCgiServer_);
}

// The socket is made with every permission, as a service made with the web server's group
// would, so that Apache's unprivileged user reaches it.
bool WebServer::StartFastCgiProgram() {
    const mode_t before = umask(0);
    fastCgiServer_ = Spawn({(programDir_ / "tallyhouse.cgi").string(), "--fastcgi", "unix:" + FastCgiSocket().string(),
                            "--workers", std::to_string(FastCgiTestWorkers)},
                           programEnvironment_);
    umask(before);
    return WaitUntil(60000, [this] { return FastCgiConnection(FastCgiSocket()).Connected(); });
}

// lighttpd starts the workers itself, each on a socket of its own as its standard input.
void WebServer::WriteLighttpdFastCgi() {
    const fs::path conf = confDir_ / "lighttpd.conf";
    fastCgiServer_ = -1;
    WriteText(conf, "server.document-root = \"" + programDir_.string() + "\"\n"
                    "server.bind = \"127.0.0.1\"\n"
                    "server.port = " + std::to_string(Port()) + "\n"
                    "server.modules = (\"mod_fastcgi\")\n"
                    "server.errorlog = \"" + (confDir_ / "error.log").string() + "\"\n"
                    "fastcgi.server = (\"/cgi-bin/tallyhouse.cgi\" => ((\n"
                    "    \"socket\" => \"" + FastCgiSocket().string() + "\",\n"
                    "    \"bin-path\" => \"" + (programDir_ / "tallyhouse.cgi").string() + "\",\n"
                    "    \"max-procs\" => " + std::to_string(FastCgiTestWorkers) + ",\n"
                    "    \"bin-environment\" => (" + LighttpdPairs() + "),\n"
                    "    \"check-local\" => \"disable\")))\n");
    Spawn({"/usr/sbin/lighttpd", "-D", "-f", conf.string()});
}

void WebServer::WriteApacheFastCgi() {
    const std::string modules = "/usr/lib/apache2/modules/";
    std::string text = ApacheHead() +
        "LoadModule proxy_module " + modules + "mod_proxy.so\n"
        "LoadModule proxy_fcgi_module " + modules + "mod_proxy_fcgi.so\n"
        "DocumentRoot \"" + programDir_.string() + "\"\n"
        "ProxyPass \"/cgi-bin/tallyhouse.cgi\" \"unix:" + FastCgiSocket().string() + "|fcgi://localhost/\"\n";
    if (!StartFastCgiProgram()) return;
    SpawnApache(text);
}

void WebServer::WriteNginxFastCgi() {
    if (!StartFastCgiProgram()) return;
    const fs::path conf = confDir_ / "nginx.conf";
    WriteText(conf, NginxHead() +
              "  location = /cgi-bin/tallyhouse.cgi {\n   include /etc/nginx/fastcgi_params;\n"
              "   fastcgi_param SCRIPT_NAME /cgi-bin/tallyhouse.cgi;\n"
              "   fastcgi_pass unix:" + FastCgiSocket().string() + ";\n  }\n }\n}\n");
    Spawn({"/usr/sbin/nginx", "-p", confDir_.string(), "-c", conf.string()});
}

}  // namespace testsupport
