// Poll files copied into the database and written back: byte for byte, counted alike, and a
// second import adds nothing.
#include <regex>

#include <gtest/gtest.h>

#include "tests/app/store/database_test.h"

using namespace testsupport;

namespace {

struct PollFile {
    const char* name;
    std::string text;
};

// Every kind of line a poll file may hold, each in a file of its own.
std::vector<PollFile> PollFiles() {
    const std::string longLine = "2026-12-08 14:07:09,1.2.3.4," + std::string(4200, 'x') + ",beyond";
    return {
        {"written.pol", "2026-12-08 14:07:09,1.2.3.4,yes\r\n2026-12-08,1.2.3.4,no\r\n"},
        {"line_ends.pol", "d,a,yes\nd,a,no\rd,a,yes\r\nd,a,no\n\r"},
        {"no_final_break.pol", "d,a,yes\r\nd,a,cut short"},
        {"quoted.pol", "d,a,\"ham, smoked\"\r\nd,a,\"say \"\"hi\"\", twice\"\r\nd,a,\"not closed\r\nx,\"a,b\"\r\n"},
        {"no_commas.pol", "first\r\nd,a,yes\r\nplain\r\n\r\n"},
        {"long_line.pol", longLine + "\r\n" + "d,a,\"" + std::string(5000, ',') + "\"\r\n"},
        {"latin1.pol", "d,a,gr\xF6\xDF" "er\r\nd,a,\x80 \xE4\r\nd,a,gr\xC3\xB6\xC3\x9F" "er\r\n"},
        {"empty.pol", ""},
        {"blank_lines.pol", "\r\n\r\n"},
        {"spaces, and commas.pol", "d,a,yes\r\n"},
    };
}

class PollTransfer : public DatabaseTest {};

TEST_F(PollTransfer, ImportExportsEveryFileByteForByteAndCountsItAsTheFileIs) {
    ScratchDir files, host;
    for (const PollFile& poll : PollFiles()) files.Write(poll.name, poll.text);
    files.Write("notes.txt", "not a poll\r\n");
    const CgiResult imported = Tool(host, {"--import-polls", files.Path().string()});
    ASSERT_EQ(imported.exitCode, 0) << imported.output << imported.errors;
    EXPECT_EQ(Sql("SELECT count(*) FROM tallyhouse.polls"), std::to_string(PollFiles().size()) + "\n");
    for (const PollFile& poll : PollFiles()) {
        SCOPED_TRACE(poll.name);
        const CgiResult exported = Tool(host, {"--export-poll", poll.name});
        EXPECT_EQ(exported.exitCode, 0) << exported.errors;
        EXPECT_EQ(exported.output, poll.text);
        const std::string query = std::string("command=view&format=csv&filename=") + poll.name;
        EXPECT_EQ(Run(host, GetRequest(query)).body, RunProgram(files.Program(), GetRequest(query)).body);
    }
    EXPECT_NE(imported.output.find("written.pol: 2 lines imported"), std::string::npos) << imported.output;
}

// Run again, the import adds nothing; lines appended to a file since are added, and a poll the
// database holds otherwise is left alone and named.
TEST_F(PollTransfer, ImportAgainAddsOnlyWhatTheFileGainedSince) {
    ScratchDir files, host;
    files.Write("grows.pol", "d,a,yes\r\n");
    files.Write("cut.pol", "d,a,yes\r\nd,a,no\r\n");
    files.Write("same.pol", "d,a,yes\r\n");
    ASSERT_EQ(Tool(host, {"--import-polls", files.Path().string()}).exitCode, 0);
    files.Write("grows.pol", "d,a,yes\r\nd,a,no\r\nd,a,no\r\n");
    files.Write("cut.pol", "d,a,yes\r\n");
    const CgiResult again = Tool(host, {"--import-polls", files.Path().string()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.output,
              "cut.pol: differs from the poll of that name in the database; left alone\n"
              "grows.pol: 2 lines imported\n"
              "same.pol: unchanged\n");
    EXPECT_EQ(Tool(host, {"--export-poll", "grows.pol"}).output, files.Read("grows.pol"));
    EXPECT_EQ(Tool(host, {"--export-poll", "cut.pol"}).output, "d,a,yes\r\nd,a,no\r\n");
    EXPECT_EQ(Run(host, GetRequest("command=view&format=csv&filename=grows.pol")).body,
              RunProgram(files.Program(), GetRequest("command=view&format=csv&filename=grows.pol")).body);
    EXPECT_EQ(Sql("SELECT sum(answers), count(*) FROM tallyhouse.polls"), "6|3\n");
}

// An answer added to a poll whose last line has no line break starts a line of its own, in the
// file and in what the database gives back.
TEST_F(PollTransfer, AnAnswerAfterALastLineWithoutBreakIsExportedAsTheFileHoldsIt) {
    ScratchDir files, host;
    files.Write("open.pol", "d,a,yes");
    ASSERT_EQ(Tool(host, {"--import-polls", files.Path().string()}).exitCode, 0);
    for (const ScratchDir* dir : {&files, &host}) {
        CgiRequest add = WithDatabase(GetRequest("command=add&open.pol=no&open.pol=maybe"));
        if (dir == &files) add.env.erase("TALLYHOUSE_DATABASE");
        ASSERT_EQ(RunProgram(dir->Program(), add).exitCode, 0);
    }
    const std::regex stamp("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
    const std::string exported = Tool(host, {"--export-poll", "open.pol"}).output;
    EXPECT_EQ(std::regex_replace(exported, stamp, "T"), "d,a,yes\r\nT,127.0.0.1,no\r\nT,127.0.0.1,maybe");
    EXPECT_EQ(std::regex_replace(files.Read("open.pol"), stamp, "T"), "d,a,yes\r\nT,127.0.0.1,no\r\nT,127.0.0.1,maybe");
}

TEST_F(PollTransfer, ToolsExplainWhatTheyNeed) {
    ScratchDir host;
    CgiRequest noDatabase;
    noDatabase.args = {"--import-polls", host.Path().string()};
    const CgiResult refused = RunProgram(host.Program(), noDatabase);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.errors.find("TALLYHOUSE_DATABASE"), std::string::npos) << refused.errors;
    const CgiResult missing = Tool(host, {"--export-poll", "missing.pol"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.errors, "No poll named missing.pol\n");
}

}  // namespace
