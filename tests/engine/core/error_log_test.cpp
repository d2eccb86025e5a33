// The error log's bounds: what a request can write into one line, and how large the file grows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/core/error_log.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::engine;

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

TEST(ErrorLog, ALineHoldsAboutTwoHundredBytesOfAMessageAndNoControlByte) {
    const std::string quoted(10000, 'q');
    const struct {
        const char* what;
        std::string message;
        std::string logged;
    } cases[] = {
        {"a long message keeps its start and its end", "Unhandled exception : '" + quoted + "' ist kein Integerwert",
         "Unhandled exception : '" + std::string(177, 'q') + "..." + std::string(18, 'q') + "' ist kein Integerwert"},
        {"a message of the bound is kept whole", std::string(243, 'm'), std::string(243, 'm')},
        {"C1 bytes of a windows-1252 text (NEL, CSI) are escaped, others not", "a\x85" "b\x9B" "c\xA0\xFC",
         "a\\x85b\\x9Bc\xA0\xFC"},
        {"UTF-8 text keeps its characters, its C1 controls escaped whole", "\xE2\x82\xAC \xC3\xBC \xC2\x9B[2J",
         "\xE2\x82\xAC \xC3\xBC \\xC2\\x9B[2J"},
        {"a long UTF-8 message is cut between characters", std::string(199, 'u') + "\xC3\xBC" + std::string(300, 'v'),
         std::string(199, 'u') + "..." + std::string(40, 'v')},
    };
    for (const auto& c : cases) EXPECT_EQ(LogLine("d", 1, c.message), "d,  1 : " + c.logged + "\r\n") << c.what;
}

TEST(ErrorLog, AFullLogIsRenamedOnceAndNewOnesAreForOwnerAndGroupOnly) {
    ScratchDir dir;
    const std::string log = (dir.Path() / "t.Log").string();
    const mode_t before = umask(022);
    for (int i = 0; i < 10; ++i) AppendLogLine(log, "line " + std::to_string(i) + "\r\n", 30);
    umask(before);
    EXPECT_EQ(dir.Read("t.Log"), "line 9\r\n");
    EXPECT_EQ(dir.Read("t.Log.1"), "line 6\r\nline 7\r\nline 8\r\n") << "one predecessor only";
    EXPECT_EQ(fs::status(log).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The attack itself: a value of 10,000 bytes that is no number, logged by the program.
TEST(ErrorLog, ARequestWritesNoMoreThanTheBoundIntoTheLog) {
    ScratchDir dir;
    RunProgram(dir.Program(), GetRequest("command=view&height=" + std::string(10000, '9') + "x"));
    const std::string log = dir.Read("Log/tallyhouse.Log");
    EXPECT_LT(log.size(), 400u) << log.substr(0, 300);
    EXPECT_NE(log.find("...99999999x' ist kein g"), std::string::npos) << log;
}

}  // namespace
