// Tests of answers kept in PostgreSQL: each test gets an empty database of its own in the test
// program's one server (tests/support/postgres_cluster.h).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/postgres_cluster.h"

// The sanitizer build's LeakSanitizer (clang 14) crashes at the exit of a program that loaded
// libpq at run time, on the dynamic TLS of its libraries under glibc 2.36: the program's runs
// with a database check addresses, not leaks.
inline std::map<std::string, std::string> SanitizerOptions() { return {{"ASAN_OPTIONS", "detect_leaks=0"}}; }

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::string Conninfo() const { return testsupport::SharedPostgres().ConnectionString(database_); }
    // The request with the database named in its environment.
    testsupport::CgiRequest WithDatabase(testsupport::CgiRequest request) const;
    testsupport::CgiResult Run(const testsupport::ScratchDir& dir, const testsupport::CgiRequest& request) const;
    // Runs the program with command-line parameters and the database.
    testsupport::CgiResult Tool(const testsupport::ScratchDir& dir, const std::vector<std::string>& args) const;
    std::string Sql(const std::string& sql) const { return testsupport::SharedPostgres().Query(database_, sql); }

private:
    std::string database_;
};
