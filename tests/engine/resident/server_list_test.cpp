// The server list accesses: states, taking, removing, and records that must not get lost.
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "engine/resident/locked_file.h"
#include "engine/resident/server_list.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::engine;

namespace {

class ServerListTest : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    std::string list = (dir.Path() / "list_S").string();

    void Append(const std::string& name) {
        ASSERT_TRUE(AppendRequestRecord(list, [&] { return name; }));
    }
    std::vector<TServerRecord> Records() { return DecodeServerList(dir.Read("list_S")); }
};

TEST_F(ServerListTest, StatesFollowARequestFromWaitingToDone) {
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::NoServerList);
    ASSERT_TRUE(CreateEmptyServerList(list));
    Append("/t/a_req");
    Append("/t/b_req");
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::Waiting);
    EXPECT_EQ(Records()[0].RequestName, "/T/A_REQ");

    const auto first = TakeNextRecord(list);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->RequestName, "/T/A_REQ");
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::Taken);
    EXPECT_EQ(TakeNextRecord(list)->RequestName, "/T/B_REQ");

    RemoveRequestRecords(list, "/t/a_req");
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::Done);
    EXPECT_EQ(ReadRequestState(list, "/T/B_REQ"), TRequestState::Taken);
    EXPECT_FALSE(TakeNextRecord(list));
}

TEST_F(ServerListTest, AnIdlePollRefreshesTheHeartbeatAndANonRequestRecordStaysWaiting) {
    ASSERT_TRUE(CreateEmptyServerList(list));
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, list.c_str(), old, 0);
    EXPECT_GT(FileAgeSeconds(list), StaleServerListSeconds);
    const time_t before = time(nullptr);
    EXPECT_FALSE(TakeNextRecord(list));
    struct stat info {};
    ASSERT_EQ(stat(list.c_str(), &info), 0);
    EXPECT_GE(info.st_mtim.tv_sec, before) << "the poll did not date the list anew";

    Append("STOP");
    EXPECT_EQ(TakeNextRecord(list)->RequestName, "STOP");
    EXPECT_EQ(Records()[0].State, srsWaiting);
}

TEST_F(ServerListTest, KeepsEveryRecordBeyondSixtyFour) {
    ASSERT_TRUE(CreateEmptyServerList(list));
    for (int i = 0; i < 100; ++i) Append("/T/" + std::to_string(i) + "_REQ");
    RemoveRequestRecords(list, "/T/0_REQ");
    ASSERT_EQ(Records().size(), 99u);
    for (int i = 1; i < 100; ++i) {
        const auto next = TakeNextRecord(list);
        ASSERT_TRUE(next);
        EXPECT_EQ(next->RequestName, "/T/" + std::to_string(i) + "_REQ");
    }
    EXPECT_FALSE(TakeNextRecord(list));
}

TEST_F(ServerListTest, RecordsAppendedWhileOthersAreRemovedAreNeverLost) {
    ASSERT_TRUE(CreateEmptyServerList(list));
    std::atomic<bool> appending{true};
    std::atomic<int> appended{0};
    std::thread remover([&] {
        while (appending) {
            RemoveRequestRecords(list, "/T/NONE_REQ");
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::vector<std::thread> appenders;
    for (int t = 0; t < 4; ++t)
        appenders.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                if (AppendRequestRecord(list, [&] { return "/T/" + std::to_string(t * 100 + i) + "_REQ"; }))
                    ++appended;
        });
    for (auto& thread : appenders) thread.join();
    appending = false;
    remover.join();
    EXPECT_EQ(appended.load(), 200);
    EXPECT_EQ(Records().size(), static_cast<std::size_t>(appended.load()));
}

TEST_F(ServerListTest, AListHeldByOthersReadsAsUnreadableAndIsDroppedOnceStale) {
    ASSERT_TRUE(CreateEmptyServerList(list));
    const auto holder = TLockedFile::TryOpen(list, TLockedFile::Access::ReadWrite);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(AppendRequestRecord(list, [] { return std::string("/T/A_REQ"); }));
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::Unreadable);
    EXPECT_TRUE(std::filesystem::exists(list));
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, list.c_str(), old, 0);
    EXPECT_EQ(ReadRequestState(list, "/T/A_REQ"), TRequestState::Unreadable);
    EXPECT_FALSE(std::filesystem::exists(list));
}

}  // namespace
