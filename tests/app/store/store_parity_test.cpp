// The same requests against poll files and against the database give the same pages and the
// same chart bytes; only the entity tags differ.
#include <filesystem>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "app/answer_line.h"
#include "app/store/pg_schema.h"
#include "tests/app/store/database_test.h"
#include "tests/support/chart_gallery.h"

using namespace testsupport;

namespace {

// The header without its ETag line.
std::string Untagged(const std::string& header) {
    return std::regex_replace(header, std::regex("ETag:[^\r\n]*\r\n"), "");
}

// A poll file's text with its time stamps blanked: two runs of the same answers differ only there.
std::string Unstamped(const std::string& poll) {
    return std::regex_replace(poll, std::regex("\\d{4}-\\d\\d-\\d\\d( \\d\\d:\\d\\d:\\d\\d)?,"), "T,");
}

class StoreParity : public DatabaseTest {
protected:
    // Answers the request from the poll files of files_ and from the database with host_.
    void ExpectSameAnswer(const CgiRequest& request, const std::string& what) {
        const CgiResult fromFiles = RunProgram(files_.Program(), request);
        const CgiResult fromDatabase = Run(host_, request);
        EXPECT_EQ(fromDatabase.exitCode, fromFiles.exitCode) << what << ": " << fromDatabase.errors;
        EXPECT_EQ(Untagged(fromDatabase.header), Untagged(fromFiles.header)) << what;
        EXPECT_TRUE(fromDatabase.body == fromFiles.body) << what << ": the bodies differ";
    }
    std::string Export(const std::string& poll) { return Tool(host_, {"--export-poll", poll}).output; }

    ScratchDir files_, host_;
};

TEST_F(StoreParity, EveryGalleryChartIsTheSameFromTheDatabase) {
    WriteGalleryPolls(files_);
    ASSERT_EQ(Tool(host_, {"--import-polls", files_.Path().string()}).exitCode, 0);
    for (const GalleryChart& chart : GalleryCharts()) ExpectSameAnswer(GetRequest(chart.query), chart.name);
}

// What forms of today send, one request after the other into both stores, then every view of
// the polls they made, and the polls themselves.
TEST_F(StoreParity, AnswersFromFormsAreRecordedAndShownAlike) {
    const std::string longAnswer = std::string(3000, 'a') + "%2C" + std::string(3000, 'b');
    const struct {
        const char* what;
        std::string query;
        bool keyFile = false;
    } adds[] = {
        {"radio button", "command=add&question1.pol=yes"},
        {"UTF-8", "command=add&rating.pol=gr%C3%B6%C3%9Ftenteils+gut"},
        {"windows-1252", "command=add&rating.pol=gr%F6%DFtenteils+gut&rating.pol=%80+5"},
        {"comma", "command=add&food.pol=ham%2C+smoked"},
        {"double quotes", "command=add&food.pol=%22quoted%22%2C+%22twice%22"},
        {"checkbox group", "command=add&cb.pol=alpha&cb.pol=beta&cb.pol=alpha"},
        {"control bytes", "command=add&cb.pol=a%0D%0Ab%00c"},
        {"several polls", "command=add&question1.pol=no&food.pol=ham%2C+smoked&backurl=http%3A%2F%2Fexample.org%2F"},
        {"empty answer", "command=add&empty.pol="},
        {"long answer", "command=add&long.pol=" + longAnswer},
        {"key file, a new poll", "command=add&question1.pol=first&brandnew.pol=yes", true},
        {"key file, existing polls", "command=add&question1.pol=again&cb.pol=gamma", true},
        {"name leaving the folder", "command=add&question1.pol=x&..%2Fout.pol=1"},
    };
    for (const auto& add : adds) {
        for (const ScratchDir* dir : {&files_, &host_})
            if (add.keyFile)
                dir->Write("tallyhouse.key", "");
            else
                std::filesystem::remove(dir->Path() / "tallyhouse.key");
        ExpectSameAnswer(GetRequest(add.query), add.what);
    }
    std::string tooMany = "command=add";
    for (int i = 0; i < 21; ++i) tooMany += "&new" + std::to_string(i) + ".pol=x";
    ExpectSameAnswer(PostRequest(tooMany), "21 new polls");

    for (const char* poll : {"question1.pol", "rating.pol", "food.pol", "cb.pol", "empty.pol", "long.pol"}) {
        for (const std::string view : {"", "&style=3&3D=yes&marks=yes&number=Antworten", "&format=json", "&format=csv",
                                       "&answers=gamma|beta|alpha|a%20%20b%20c&style=1"})
            ExpectSameAnswer(GetRequest(std::string("command=view&filename=") + poll + view), poll + view);
        EXPECT_EQ(Unstamped(Export(poll)), Unstamped(files_.Read(poll))) << poll;
    }
    for (const char* refused : {"brandnew.pol", "new0.pol", "out.pol"})
        ExpectSameAnswer(GetRequest(std::string("command=view&filename=") + refused), refused);
}

// The operator's rules for answers hold alike: one answer per address, a closed poll (a
// read-only poll file, or the poll marked closed in the database), the bound of polls.
TEST_F(StoreParity, TheOperatorsRulesForAnswersHoldAlike) {
    const auto add = [](const std::string& query, std::map<std::string, std::string> settings) {
        CgiRequest request = GetRequest(query);
        request.env.merge(settings);
        return request;
    };
    const std::map<std::string, std::string> oneAnswer = {{"TALLYHOUSE_ONE_ANSWER", "address"}};
    const struct {
        const char* what;
        CgiRequest request;
    } steps[] = {
        {"first answer", add("command=add&once.pol=yes&other.pol=a", oneAnswer)},
        {"repeat", add("command=add&once.pol=no", oneAnswer)},
        {"repeat beside a new poll", add("command=add&once.pol=no&fresh.pol=b", oneAnswer)},
        {"bound of polls", add("command=add&once.pol=x&third.pol=c&fourth.pol=d", {{"TALLYHOUSE_MAX_POLLS", "4"}})},
        {"within the bound", add("command=add&third.pol=c", {{"TALLYHOUSE_MAX_POLLS", "4"}})},
    };
    for (const auto& step : steps) ExpectSameAnswer(step.request, step.what);
    std::filesystem::permissions(files_.Path() / "other.pol", std::filesystem::perms::owner_read);
    Sql("UPDATE tallyhouse.polls SET closed = true WHERE name = 'other.pol'::bytea");
    ExpectSameAnswer(GetRequest("command=add&once.pol=z&other.pol=z"), "closed poll");
    for (const char* poll : {"once.pol", "other.pol", "fresh.pol", "third.pol"})
        ExpectSameAnswer(GetRequest(std::string("command=view&format=csv&filename=") + poll), poll);
}

// Views between the answers, so a poll's counts are partly kept and partly still pending: they
// add up, and equal counts keep the order of their first answers whichever part holds them.
TEST_F(StoreParity, CountsKeptAndPendingAddUpInOrder) {
    const char* steps[] = {
        "command=add&t.pol=a",
        "command=add&t.pol=b",
        "command=add&t.pol=b",
        "command=view&format=json&filename=t.pol",
        "command=add&t.pol=a",
        "command=view&format=json&filename=t.pol",
        "command=add&t.pol=c&t.pol=d&other.pol=x",
        "command=add&t.pol=c",
        "command=add&t.pol=c",
        "command=view&format=json&filename=t.pol",
        "command=add&t.pol=d",
        "command=add&t.pol=d",
        "command=add&t.pol=e",
        "command=view&format=csv&filename=t.pol",
    };
    for (const char* step : steps) ExpectSameAnswer(GetRequest(step), step);
    EXPECT_EQ(Unstamped(Export("t.pol")), Unstamped(files_.Read("t.pol")));
}

// A database an earlier program made (schema version 1, which kept each poll's counts at once) is
// carried forward on first use: its polls count and export as before, and answers added since
// count with them.
TEST_F(StoreParity, ADatabaseOfTheFirstSchemaCountsOnWithItsAnswers) {
    Sql(std::string(tallyhouse::app::MigrationScript(0)));
    // Two polls answered in turns, so a poll's line numbers are not the ids of its lines.
    const std::pair<std::string, std::string> given[] = {{"m.pol", "b"}, {"other.pol", "x"}, {"m.pol", "a"}, {"m.pol", "c"},
                                                         {"other.pol", "y"}, {"m.pol", "a"}, {"m.pol", "b"}};
    std::map<std::string, std::string> polls;
    for (const auto& [poll, answer] : given) {
        Sql("SELECT * FROM tallyhouse.add_answers(ARRAY['" + poll + "']::bytea[], ARRAY['2026-12-09 10:00:00']::bytea[], "
            "ARRAY['10.0.0.1']::bytea[], ARRAY['" + answer + "']::bytea[], ARRAY['" + answer + "']::bytea[], "
            "true, 20, 100, ARRAY[]::bigint[], 0, 0)");
        polls[poll] += tallyhouse::app::AnswerLine("2026-12-09 10:00:00", "10.0.0.1", answer) + "\r\n";
    }
    for (const auto& [poll, text] : polls) files_.Write(poll, text);
    for (const char* step : {"command=view&format=json&filename=m.pol", "command=add&m.pol=c&m.pol=d",
                             "command=add&m.pol=c", "command=view&format=json&filename=m.pol",
                             "command=view&format=csv&filename=other.pol"})
        ExpectSameAnswer(GetRequest(step), step);
    EXPECT_EQ(Sql("SELECT version FROM tallyhouse.schema_version"), std::to_string(tallyhouse::app::kSchemaVersion) + "\n");
    EXPECT_EQ(Unstamped(Export("m.pol")), Unstamped(files_.Read("m.pol")));
    EXPECT_EQ(Export("other.pol"), polls["other.pol"]);
}

// 100,000 answers of 1,000 kinds, some quoted, some Latin-1, some lines without a comma.
TEST_F(StoreParity, APollOfOneHundredThousandAnswersIsTheSame) {
    std::string poll;
    for (int i = 0; i < 100000; ++i) {
        const int kind = (i * 7919) % 1000 * (i % 3) / 2;
        if (i % 997 == 0)
            poll += "continued\r\n";
        else if (kind % 10 == 0)
            poll += "2026-12-08 14:07:09,10.0.0.1,\"answer " + std::to_string(kind) + ", quoted\"\r\n";
        else
            poll += "2026-12-08 14:07:09,10.0.0.1,answer " + std::to_string(kind) + (kind % 7 ? "\r\n" : " \xE4\r\n");
    }
    files_.Write("big.pol", poll);
    ASSERT_EQ(Tool(host_, {"--import-polls", files_.Path().string()}).exitCode, 0);
    EXPECT_TRUE(Export("big.pol") == poll);
    for (const std::string view : {"", "&style=3", "&style=1&3D=yes", "&format=json"})
        ExpectSameAnswer(GetRequest("command=view&filename=big.pol" + view), view);
}

}  // namespace
