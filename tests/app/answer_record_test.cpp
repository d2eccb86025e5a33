#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>

#include "app/answer_record.h"
#include "platform/os/exception.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::app;

using testsupport::ScratchDir;

TEST(AnswerRecord, KeysAreFoundWithinTheirWindowAndKeptThroughGrowth) {
    ScratchDir dir;
    const std::string poll = (dir.Path() / "q.pol").string();
    std::mt19937_64 random(7);
    std::vector<std::uint64_t> keys(5000);
    for (std::uint64_t& key : keys) key = random();
    keys[0] = 0;  // the key that marks empty slots is kept too
    {
        TAnswerRecord record(poll);
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_FALSE(record.Answered(keys[i], 1000, 0)) << i;
            record.Note(keys[i], 1000 + static_cast<std::int64_t>(i % 2) * 500);
        }
        record.Note(keys[1], 1000);
        EXPECT_EQ(record.Keys(), keys.size()) << "a key noted again is one key";
    }
    TAnswerRecord reopened(poll);
    EXPECT_EQ(reopened.Keys(), keys.size());
    for (size_t i = 0; i < keys.size(); ++i) ASSERT_TRUE(reopened.Answered(keys[i], 2000, 0)) << i;
    EXPECT_TRUE(reopened.Answered(keys[2], 1999, 1000)) << "within the window";
    EXPECT_FALSE(reopened.Answered(keys[2], 2000, 1000)) << "the window has passed";
    EXPECT_TRUE(reopened.Answered(keys[3], 2000, 1000)) << "noted later, still within";
    EXPECT_FALSE(reopened.Answered(random(), 2000, 0));
    struct stat info {};
    ASSERT_EQ(stat((poll + ".answered").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777 & ~0640u, 0u) << "no one but the owner and group reads it";
    EXPECT_EQ(info.st_size, 64 + 16384 * 16) << "grown to keep less than half the slots taken";
}

TEST(AnswerRecord, RepeatsAreReportedAtMostOnceAMinute) {
    ScratchDir dir;
    TAnswerRecord record((dir.Path() / "q.pol").string());
    EXPECT_EQ(record.CountRepeat(1000), 1u) << "the first at once";
    EXPECT_EQ(record.CountRepeat(1010), 0u);
    EXPECT_EQ(record.CountRepeat(1059), 0u);
    EXPECT_EQ(record.CountRepeat(1060), 3u) << "all since the last report";
    EXPECT_EQ(record.CountRepeat(1061), 0u);
    EXPECT_EQ(TAnswerRecord((dir.Path() / "q.pol").string()).CountRepeat(1200), 2u) << "kept in the file";
}

TEST(AnswerRecord, ADamagedRecordIsAnErrorNotAnEmptyOne) {
    ScratchDir dir;
    const std::string poll = (dir.Path() / "q.pol").string();
    TAnswerRecord(poll).Note(42, 1000);
    for (const char* damage : {"cut", "mark"}) {
        const std::string good = dir.Read("q.pol.answered");
        dir.Write("q.pol.answered", damage == std::string("cut") ? good.substr(0, 1000) : "X" + good.substr(1));
        EXPECT_THROW(TAnswerRecord record(poll), EFileError) << damage;
        dir.Write("q.pol.answered", good);
    }
    dir.Write("q.pol.answered", "");
    EXPECT_FALSE(TAnswerRecord(poll).Answered(42, 1000, 0)) << "an empty file is an empty record";
}
