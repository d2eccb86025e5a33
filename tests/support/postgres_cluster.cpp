#include "tests/support/postgres_cluster.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "tests/support/cgi_runner.h"
#include "tests/support/child_processes.h"
#include "tests/support/wait_until.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace {

const std::string kBin = "/usr/lib/postgresql/15/bin/";
const std::string kSuperuser = "tallyhouse";

// Run as root, the server's programs take the identity of "nobody"; otherwise our own.
void BecomeUnprivileged() {
    if (geteuid() != 0) return;
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(126);
}

std::map<std::string, std::string> ToolEnvironment() {
    return {{"PATH", "/usr/bin:/bin"}, {"LC_ALL", "C.UTF-8"}, {"TZ", "UTC"}};
}

bool Ended(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == pid; }

}  // namespace

PostgresCluster::PostgresCluster() {
    char pattern[] = "/tmp/tallyhouse-pg.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    // The server's user writes here; web servers' users reach the socket through it.
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(folder_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
            throw std::runtime_error("cannot hand the cluster's folder to nobody");
    }
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    InitDb();
    Start();
}

PostgresCluster::~PostgresCluster() {
    Stop();
    std::error_code ec;
    if (!getenv("TALLYHOUSE_KEEP_SCRATCH")) fs::remove_all(folder_, ec);
}

void PostgresCluster::InitDb() {
    CgiRequest request;
    request.env = ToolEnvironment();
    request.args = {"-D", (folder_ / "data").string(), "-U", kSuperuser, "--auth=trust", "-E", "UTF8",
                    "--locale=C", "--no-sync"};
    request.inChild = BecomeUnprivileged;
    request.timeoutSeconds = 120;
    const CgiResult result = RunProgram(kBin + "initdb", request);
    if (result.exitCode != 0) throw std::runtime_error("initdb failed: " + result.output + result.errors);
}

// Durability against a crash of the machine is not what the tests look at: no fsync.
void PostgresCluster::Start() {
    if (server_ > 0) return;
    const std::string log = (folder_ / "server.log").string();
    const std::vector<std::string> argv = {kBin + "postgres", "-D", (folder_ / "data").string(),
                                           "-k", folder_.string(), "-c", "listen_addresses=",
                                           "-c", "fsync=off", "-c", "full_page_writes=off",
                                           "-c", "max_connections=200"};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        BecomeUnprivileged();
        // The server goes down with the test program, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGQUIT);
        if (getppid() != parent) _exit(1);
        if (!freopen("/dev/null", "r", stdin) || !freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr))
            _exit(1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    server_ = pid;
    KeepChild(pid);
    if (!WaitUntilReady()) {
        Stop();
        throw std::runtime_error("the PostgreSQL server did not start: " + ReadFile(log));
    }
}

bool PostgresCluster::WaitUntilReady() const {
    return WaitUntil(60000, [this] {
        if (Ended(server_)) return true;
        CgiRequest request;
        request.env = ToolEnvironment();
        request.args = {"-q", "-h", folder_.string(), "-U", kSuperuser, "-d", "postgres"};
        return RunProgram(kBin + "pg_isready", request).exitCode == 0;
    }) && kill(server_, 0) == 0;
}

// SIGINT is the server's fast shutdown; a server that has not ended after half a minute gets
// the immediate one, then SIGKILL.
void PostgresCluster::Stop() {
    if (server_ <= 0) return;
    const pid_t pid = server_;
    server_ = -1;
    for (const int signal : {SIGINT, SIGQUIT, SIGKILL}) {
        kill(pid, signal);
        if (WaitUntil(30000, [pid] { return Ended(pid); })) break;
    }
    ReleaseChild(pid);
}

std::string PostgresCluster::ConnectionString(const std::string& database) const {
    return "host=" + folder_.string() + " user=" + kSuperuser + " dbname=" + database;
}

std::string PostgresCluster::Psql(const std::string& database, const std::string& sql, bool& ok) const {
    CgiRequest request;
    request.env = ToolEnvironment();
    request.args = {"-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", "-h", folder_.string(), "-U", kSuperuser,
                    "-d", database, "-c", sql};
    request.timeoutSeconds = 120;
    const CgiResult result = RunProgram("/usr/bin/psql", request);
    ok = result.exitCode == 0;
    return ok ? result.output : result.errors;
}

std::string PostgresCluster::Query(const std::string& database, const std::string& sql) const {
    bool ok = false;
    std::string out = Psql(database, sql, ok);
    if (!ok) throw std::runtime_error("psql failed: " + sql + ": " + out);
    return out;
}

void PostgresCluster::CreateDatabase(const std::string& name) {
    Query("postgres", "DROP DATABASE IF EXISTS \"" + name + "\" WITH (FORCE)");
    Query("postgres", "CREATE DATABASE \"" + name + "\"");
}

namespace {

std::unique_ptr<PostgresCluster>& SharedSlot() {
    static std::unique_ptr<PostgresCluster> cluster;
    return cluster;
}

class SharedPostgresEnvironment : public testing::Environment {
    void TearDown() override { SharedSlot().reset(); }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new SharedPostgresEnvironment);

}  // namespace

PostgresCluster& SharedPostgres() {
    if (!SharedSlot()) SharedSlot() = std::make_unique<PostgresCluster>();
    return *SharedSlot();
}

}  // namespace testsupport
