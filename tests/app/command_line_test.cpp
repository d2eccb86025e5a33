// What the program says to a person who starts it by hand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "tests/support/cgi_runner.h"

using namespace testsupport;

TEST(CommandLine, HelpVersionAndABareStartFromATerminalExplainThemselves) {
    ScratchDir dir;
    CgiRequest help;
    help.args = {"--help"};
    const CgiResult usage = RunProgram(dir.Program(), help);
    EXPECT_EQ(usage.exitCode, 0);
    EXPECT_NE(usage.output.find("tallyhouse.cgi --fastcgi unix:PATH"), std::string::npos) << usage.output;
    EXPECT_NE(usage.output.find("TALLYHOUSE_ONE_ANSWER: cookie, address or cookie+address"), std::string::npos);
    help.env["TALLYHOUSE_STORE_ADDRESS"] = "hashed";
    EXPECT_NE(RunProgram(dir.Program(), help).output.find("Bad setting in this environment: TALLYHOUSE_STORE_ADDRESS"),
              std::string::npos);

    CgiRequest version;
    version.args = {"--version"};
    const CgiResult shown = RunProgram(dir.Program(), version);
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.output, "tallyhouse.cgi Version 1.00s - 05/29/1999\n");

    CgiRequest bare;
    bare.timeoutSeconds = 10;  // a program waiting as a resident server would be killed then
    bare.inChild = [] {
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) _exit(125);
        const int side = open(ptsname(terminal), O_RDWR | O_NOCTTY);
        if (side < 0 || dup2(side, 0) < 0) _exit(125);
    };
    const CgiResult explained = RunProgram(dir.Program(), bare);
    EXPECT_EQ(explained.exitCode, 2);
    EXPECT_NE(explained.errors.find("started by hand it has none"), std::string::npos) << explained.errors;
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_S")) << "no resident server was started";
}
