// A poll file that an administrator empties (": > q.pol") while a view reads it: the view still
// answers with a chart instead of the process dying.
#include <gtest/gtest.h>

#include "tests/support/cgi_runner.h"
#include "tests/support/truncation.h"

using namespace testsupport;

namespace {

TEST(TruncatedPoll, AViewOfAPollEmptiedWhileItIsReadStillAnswers) {
    ScratchDir dir;
    WriteLargePoll(dir.Path() / "emptied.pol", 30);
    TruncateWhileRead admin(dir.Path() / "emptied.pol");
    const CgiResult result = RunProgram(dir.Program(), GetRequest("command=view&filename=emptied.pol&style=3"));
    ASSERT_TRUE(admin.Stop()) << "the file was not emptied during the view";
    EXPECT_EQ(result.exitCode, 0) << "128 + 7: ended by SIGBUS";
    EXPECT_EQ(result.body.rfind("GIF89a", 0), 0u) << result.header;
}

}  // namespace
