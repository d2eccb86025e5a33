// A PostgreSQL 15 server of the tests' own: a cluster made by initdb in a scratch folder under
// /tmp, listening only on a unix socket in that folder, run as an unprivileged user (PostgreSQL
// refuses root; a test run as root runs it as "nobody"). The server is a child of the test
// program, stopped by its own pid; it also ends when the test program dies.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace testsupport {

class PostgresCluster {
public:
    // initdb, then starts the server; throws std::runtime_error when either fails.
    PostgresCluster();
    // Stops the server and removes the folder.
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // Fast shutdown (open connections are ended), waiting until the server has gone.
    void Stop();
    // Starts the stopped server again on the same socket and waits until it accepts connections.
    void Start();

    // A database of that name, made empty: dropped first when it exists.
    void CreateDatabase(const std::string& name);
    // The libpq connection string of a database of the cluster.
    std::string ConnectionString(const std::string& database) const;
    // Runs SQL through psql in that database; the rows unaligned, fields split by "|", one a
    // line. Throws when psql fails.
    std::string Query(const std::string& database, const std::string& sql) const;

private:
    void InitDb();
    bool WaitUntilReady() const;
    std::string Psql(const std::string& database, const std::string& sql, bool& ok) const;

    std::filesystem::path folder_;
    pid_t server_ = -1;
};

// The one cluster of a test program: started by the first test that asks for it and stopped
// when the program's tests have run (a GoogleTest environment does that).
PostgresCluster& SharedPostgres();

}  // namespace testsupport
