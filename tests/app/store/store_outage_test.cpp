// The database out of reach: an add says plainly that nothing was saved and a view that the
// poll cannot be shown, both with 503; once the database is back, so is the service, and no
// answer acknowledged as saved is lost or counted twice.
#include <atomic>
#include <future>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "tests/app/expected_pages.h"
#include "tests/app/store/database_test.h"
#include "tests/app/store/two_hosts.h"
#include "tests/support/fastcgi_client.h"

using namespace tallyhouse::app;
using namespace testsupport;

namespace {

class StoreOutage : public DatabaseTest {};

TEST_F(StoreOutage, AnUnreachableDatabaseAnswers503AndSavesNothing) {
    ScratchDir host;
    const auto unreachable = [&](const std::string& query) {
        CgiRequest request = GetRequest(query);
        request.env["TALLYHOUSE_DATABASE"] = "host=" + host.Path().string() + "/nowhere dbname=tallyhouse";
        request.env.merge(SanitizerOptions());
        return RunProgram(host.Program(), request);
    };
    const struct {
        const char* query;
        std::string_view message;
    } cases[] = {
        {"command=add&q.pol=yes", kStoreUnavailableMessage},
        {"command=add&q.pol=yes&backurl=http%3A%2F%2F127.0.0.1%2F", kStoreUnavailableMessage},
        {"command=view&filename=q.pol", kStoreUnavailableMessage},
        {"command=view&filename=q.pol&format=json", kStoreUnavailableMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        const CgiResult result = unreachable(c.query);
        EXPECT_EQ(result.header.substr(0, 34), "HTTP/1.1 503 Service Unavailable\r\n");
        EXPECT_EQ(result.body, SentMessagePage(c.message));
    }
    EXPECT_FALSE(host.Exists("q.pol"));
    EXPECT_NE(host.Read("Log/tallyhouse.Log").find("The database cannot be reached"), std::string::npos);
    const CgiResult sample = unreachable("command=view&filename=testenglish");
    EXPECT_EQ(sample.header.substr(0, 15), "HTTP/1.1 200 OK") << "the samples need no database";
}

// The answers held back by an import (here a session of the test holds its lock) wait as long as
// for a poll file: then the answer gets the busy page and nothing is recorded.
TEST_F(StoreOutage, APollLockedLongerThanTheWaitAnswersBusy) {
    ScratchDir host;
    ASSERT_EQ(Run(host, GetRequest("command=add&q.pol=before")).exitCode, 0);
    auto locker = std::async(std::launch::async,
                             [&] { return Sql("BEGIN; LOCK TABLE tallyhouse.pending IN EXCLUSIVE MODE; SELECT pg_sleep(60); COMMIT;"); });
    const std::string sleeper = "FROM pg_stat_activity WHERE query LIKE '%pg_sleep(60)%' AND pid <> pg_backend_pid()";
    ASSERT_TRUE(WaitUntil(60000, [&] { return Sql("SELECT count(*) " + sleeper) == "1\n"; }));
    const CgiResult busy = Run(host, GetRequest("command=add&q.pol=held"));
    EXPECT_EQ(busy.header.substr(0, 34), "HTTP/1.1 503 Service Unavailable\r\n");
    EXPECT_EQ(busy.body, SentMessagePage(kBusyMessage));
    Sql("SELECT pg_terminate_backend(pid) " + sleeper);
    EXPECT_THROW(locker.get(), std::runtime_error);
    EXPECT_EQ(Sql("SELECT count(*) FROM tallyhouse.answers"), "1\n");
}

// The clients answer while the test stops the server (its fast shutdown ends every connection)
// and starts it again.
TEST_F(StoreOutage, ARestartDuringTwoThousandAnswersLosesAndDoublesNoAcknowledgedOne) {
    TwoHosts hosts(Conninfo(), 2);
    ASSERT_TRUE(hosts.Running()) << hosts.ErrorLog();
    std::atomic<int> acknowledged{0};
    std::mutex mutex;
    std::set<std::string> saved;
    std::vector<int> failures;
    std::vector<std::future<void>> clients;
    for (int c = 0; c < 20; ++c)
        clients.push_back(std::async(std::launch::async, [&, c] {
            for (int i = 0; i < 100; ++i) {
                const std::string answer = "v" + std::to_string(c * 100 + i);
                const HttpResponse response = hosts.Get("/cgi-bin/", "?command=add&votes.pol=" + answer);
                const bool ok = response.status == 200 && response.body.find("Data saved") != std::string::npos;
                const std::lock_guard<std::mutex> lock(mutex);
                if (ok)
                    saved.insert(answer), ++acknowledged;
                else
                    failures.push_back(response.status);
            }
        }));
    ASSERT_TRUE(WaitUntil(60000, [&] { return acknowledged >= 400; }));
    SharedPostgres().Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SharedPostgres().Start();
    for (auto& client : clients) client.get();

    EXPECT_GT(failures.size(), 0u) << "the outage was seen";
    EXPECT_EQ(std::count(failures.begin(), failures.end(), 503), static_cast<long>(failures.size()));
    std::istringstream rows(Sql("SELECT convert_from(answer, 'UTF8') FROM tallyhouse.answers"));
    std::multiset<std::string> recorded;
    for (std::string line; std::getline(rows, line);) recorded.insert(line);
    for (const std::string& answer : saved) EXPECT_EQ(recorded.count(answer), 1u) << answer;
    EXPECT_EQ(std::set<std::string>(recorded.begin(), recorded.end()).size(), recorded.size()) << "none twice";
    EXPECT_EQ(Sql("SELECT count(*) FROM tallyhouse.answers"), std::to_string(recorded.size()) + "\n");
    // A worker that could not connect tries again after a second.
    for (const char* path : {"/a/", "/b/"})
        EXPECT_TRUE(WaitUntil(10000, [&] { return hosts.Get(path, "?command=add&votes.pol=back").status == 200; }))
            << "service is back by itself";
}

}  // namespace
