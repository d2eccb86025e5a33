#include "tests/app/store/database_test.h"

#include <cctype>

using namespace testsupport;

// The test's own name, as PostgreSQL takes it.
void DatabaseTest::SetUp() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '_';
    database_ = name.substr(0, 63);
    SharedPostgres().CreateDatabase(database_);
}

CgiRequest DatabaseTest::WithDatabase(CgiRequest request) const {
    request.env["TALLYHOUSE_DATABASE"] = Conninfo();
    request.env.merge(SanitizerOptions());
    return request;
}

CgiResult DatabaseTest::Run(const ScratchDir& dir, const CgiRequest& request) const {
    return RunProgram(dir.Program(), WithDatabase(request));
}

CgiResult DatabaseTest::Tool(const ScratchDir& dir, const std::vector<std::string>& args) const {
    CgiRequest request = WithDatabase({});
    request.args = args;
    request.timeoutSeconds = 120;
    return RunProgram(dir.Program(), request);
}
