// The main of every test program. It adopts every process a test starts, and a test that
// leaves one running fails: the process is named, then killed so the next test starts clean.
#include <gtest/gtest.h>

#include "tests/support/child_processes.h"

namespace {

// Time for processes a test has just told to stop to finish doing so.
constexpr double GraceSeconds = 5;

class LeftoverChildCheck : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo& test) override {
        for (const std::string& child : testsupport::EndLeftoverChildren(GraceSeconds))
            ADD_FAILURE() << test.test_suite_name() << "." << test.name() << " left a process running: " << child;
    }
};

}  // namespace

int main(int argc, char** argv) {
    testsupport::AdoptOrphans();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new LeftoverChildCheck);
    return RUN_ALL_TESTS();
}
