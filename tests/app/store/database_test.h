// Tests of answers kept in PostgreSQL: each test gets an empty database of its own in the test
// program's one server (tests/support/postgres_cluster.h).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/postgres_cluster.h"

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
