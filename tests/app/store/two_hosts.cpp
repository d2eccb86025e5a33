#include "tests/app/store/two_hosts.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "tests/app/store/database_test.h"
#include "tests/support/child_processes.h"

using namespace testsupport;

namespace {

std::string Location(const std::string& path, const std::string& upstream) {
    return "  location = " + path + " {\n   include /etc/nginx/fastcgi_params;\n"
           "   fastcgi_param SCRIPT_NAME " + path + ";\n   fastcgi_pass " + upstream + ";\n  }\n";
}

pid_t SpawnNginx(const std::filesystem::path& conf, const std::filesystem::path& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const std::string log = (folder / "stderr.log").string();
        if (!freopen("/dev/null", "r", stdin) || !freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr))
            _exit(126);
        execl("/usr/sbin/nginx", "nginx", "-p", folder.c_str(), "-c", conf.c_str(), nullptr);
        _exit(127);
    }
    setpgid(pid, pid);
    return pid;
}

}  // namespace

TwoHosts::TwoHosts(const std::string& conninfo, int workersEach, std::map<std::string, std::string> settings) {
    std::map<std::string, std::string> env = std::move(settings);
    env["TALLYHOUSE_DATABASE"] = conninfo;
    env.merge(SanitizerOptions());
    poolA_ = std::make_unique<FastCgiServer>(a_, workersEach, env);
    poolB_ = std::make_unique<FastCgiServer>(b_, workersEach, env);
    const std::string a = "unix:" + poolA_->Socket().string();
    const std::string b = "unix:" + poolB_->Socket().string();
    const std::filesystem::path folder = conf_.Path();
    std::filesystem::create_directories(folder / "temp");
    std::ofstream(folder / "nginx.conf")
        << "daemon off;\nmaster_process off;\npid \"" << (folder / "nginx.pid").string() << "\";\n"
        << "error_log \"" << (folder / "error.log").string() << "\";\n"
        << "events { worker_connections 512; }\nhttp {\n access_log off;\n"
        << " client_body_temp_path \"" << (folder / "temp").string() << "\";\n"
        << " fastcgi_temp_path \"" << (folder / "temp").string() << "\";\n"
        << " upstream hosts { server " << a << "; server " << b << "; }\n"
        << " server {\n  listen 127.0.0.1:" << port_.Port() << ";\n"
        << Location("/cgi-bin/tallyhouse.cgi", "hosts") << Location("/a/tallyhouse.cgi", a)
        << Location("/b/tallyhouse.cgi", b) << " }\n}\n";
    if (poolA_->Running() && poolB_->Running()) nginx_ = SpawnNginx(folder / "nginx.conf", folder);
}

TwoHosts::~TwoHosts() { StopProcessGroup(nginx_, 10); }

bool TwoHosts::Running() const { return nginx_ > 0 && WaitForPort(port_.Port(), 10000); }

std::string TwoHosts::ErrorLog() const { return ReadFile(conf_.Path() / "error.log"); }

HttpResponse TwoHosts::Get(const std::string& path, const std::string& query, const std::string& headers) const {
    return HttpRequest(port_.Port(), "GET", path + "tallyhouse.cgi" + query, "", "", headers);
}
