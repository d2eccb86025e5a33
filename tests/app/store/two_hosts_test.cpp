// Two web hosts behind one nginx share one database: every answer counts once, on both hosts
// at once, and a worker killed in the middle of an answer loses none that was acknowledged.
#include <signal.h>

#include <future>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/app/store/database_test.h"
#include "tests/app/store/two_hosts.h"

using namespace testsupport;

namespace {

bool Saved(const HttpResponse& response) {
    return response.status == 200 && response.body.find("Data saved") != std::string::npos;
}


class TwoHostsTest : public DatabaseTest {
protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        hosts_ = std::make_unique<TwoHosts>(Conninfo(), 2);
        ASSERT_TRUE(hosts_->Running()) << hosts_->ErrorLog();
    }
    std::multiset<std::string> Answers(const std::string& poll) const {
        std::istringstream rows(Sql("SELECT convert_from(a.answer, 'UTF8') FROM tallyhouse.answers a "
                                    "JOIN tallyhouse.polls p ON p.id = a.poll WHERE p.name = '" + poll + "'::bytea"));
        std::multiset<std::string> answers;
        for (std::string line; std::getline(rows, line);) answers.insert(line);
        return answers;
    }

    std::unique_ptr<TwoHosts> hosts_;
};

TEST_F(TwoHostsTest, TwoThousandAnswersOverFiftyConnectionsCountOnceEach) {
    std::vector<std::future<int>> clients;
    for (int c = 0; c < 50; ++c)
        clients.push_back(std::async(std::launch::async, [&, c] {
            int saved = 0;
            for (int i = 0; i < 40; ++i)
                saved += Saved(hosts_->Get("/cgi-bin/", "?command=add&votes.pol=v" + std::to_string(c * 40 + i)));
            return saved;
        }));
    int saved = 0;
    for (auto& client : clients) saved += client.get();
    EXPECT_EQ(saved, 2000) << hosts_->ErrorLog();
    const std::multiset<std::string> answers = Answers("votes.pol");
    EXPECT_EQ(answers.size(), 2000u);
    EXPECT_EQ(std::set<std::string>(answers.begin(), answers.end()).size(), 2000u) << "no answer twice";
    const std::string json = hosts_->Get("/b/", "?command=view&format=json&filename=votes.pol").body;
    EXPECT_NE(json.find("\"total\":2000"), std::string::npos) << json;
    EXPECT_EQ(Sql("SELECT answers, (SELECT sum(count) FROM tallyhouse.tallies), (SELECT count(*) FROM tallyhouse.pending) "
                  "FROM tallyhouse.polls"),
              "2000|2000|0\n")
        << "the view counted the pending answers into the tallies";
}

// Host B's chart cache holds the chart it drew; an answer through host A changes the poll's
// identity in the database, so B draws anew and tags it anew.
TEST_F(TwoHostsTest, AViewOnOneHostShowsAnAnswerJustGivenOnTheOther) {
    std::string lastTag;
    for (int round = 1; round <= 5; ++round) {
        ASSERT_TRUE(Saved(hosts_->Get("/a/", "?command=add&shared.pol=yes")));
        const HttpResponse view =
            hosts_->Get("/b/", "?command=view&format=json&filename=shared.pol", "If-None-Match: " + lastTag + "\r\n");
        EXPECT_EQ(view.status, 200) << "round " << round;
        EXPECT_NE(view.body.find("\"total\":" + std::to_string(round)), std::string::npos) << view.body;
        EXPECT_NE(view.Header("etag"), lastTag);
        lastTag = view.Header("etag");
        EXPECT_EQ(hosts_->Get("/a/", "?command=view&format=json&filename=shared.pol").Header("etag"), lastTag)
            << "both hosts tag the same answers alike";
    }
}

// The hosts share the secret that signs visitor ids and keys the one-answer notes: a visitor who
// answered on one host is known on the other, by cookie and by address.
TEST_F(TwoHostsTest, AVisitorWhoAnsweredOnOneHostIsKnownOnTheOther) {
    TwoHosts ruled(Conninfo(), 1, {{"TALLYHOUSE_ONE_ANSWER", "cookie"}});
    ASSERT_TRUE(ruled.Running()) << ruled.ErrorLog();
    const HttpResponse first = ruled.Get("/a/", "?command=add&once.pol=yes");
    ASSERT_TRUE(Saved(first)) << first.body;
    const std::string cookie = first.Header("set-cookie").substr(0, first.Header("set-cookie").find(';'));
    ASSERT_FALSE(cookie.empty());
    EXPECT_EQ(ruled.Get("/b/", "?command=add&once.pol=again", "Cookie: " + cookie + "\r\n").status, 409);
    EXPECT_TRUE(Saved(ruled.Get("/b/", "?command=add&once.pol=other"))) << "another visitor, no cookie";
    EXPECT_EQ(Answers("once.pol"), (std::multiset<std::string>{"yes", "other"}));
}

// The killed worker's answer waits for the lock of an import that a session of the test holds.
TEST_F(TwoHostsTest, AWorkerKilledMidAnswerLosesNoAcknowledgedAnswer) {
    ASSERT_TRUE(Saved(hosts_->Get("/a/", "?command=add&q.pol=before")));
    ASSERT_TRUE(WaitUntil(60000, [&] {
        for (pid_t worker : ChildrenOf(hosts_->PoolA().Pid()))
            if (OpenSockets(worker) >= 3) return false;
        return true;
    }));
    auto locker = std::async(std::launch::async, [&] {
        return Sql("BEGIN; LOCK TABLE tallyhouse.pending IN EXCLUSIVE MODE; SELECT pg_sleep(60); COMMIT;");
    });
    ASSERT_TRUE(WaitUntil(60000, [&] {
        return Sql("SELECT count(*) FROM pg_stat_activity WHERE query LIKE '%pg_sleep(60)%' AND pid <> pg_backend_pid()") == "1\n";
    }));
    auto killed = std::async(std::launch::async, [&] { return hosts_->Get("/a/", "?command=add&q.pol=killed"); });
    pid_t busy = 0;
    ASSERT_TRUE(WaitUntil(60000, [&] {
        for (pid_t worker : ChildrenOf(hosts_->PoolA().Pid()))
            if (OpenSockets(worker) >= 3) busy = worker;
        return busy != 0;
    }));
    kill(busy, SIGKILL);
    EXPECT_FALSE(Saved(killed.get()));
    Sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE query LIKE '%pg_sleep(60)%' AND pid <> pg_backend_pid()");
    EXPECT_THROW(locker.get(), std::runtime_error);
    EXPECT_TRUE(WaitUntil(60000, [&] { return Saved(hosts_->Get("/a/", "?command=add&q.pol=after")); }));
    const std::multiset<std::string> answers = Answers("q.pol");
    EXPECT_EQ(answers.count("before"), 1u);
    EXPECT_EQ(answers.count("after"), 1u);
    EXPECT_LE(answers.count("killed"), 1u) << "recorded at most once, though never acknowledged";
}

}  // namespace
