// The program as a FastCGI server behind nginx (fastcgi_pass), Apache (mod_proxy_fcgi) and
// lighttpd (mod_fastcgi, which starts the workers itself).
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/cgi_runner.h"
#include "tests/support/fastcgi_client.h"
#include "tests/support/gif_decode.h"
#include "tests/support/http_client.h"
#include "tests/support/web_server.h"

using namespace testsupport;

namespace {

constexpr char kProgram[] = "/cgi-bin/tallyhouse.cgi";

// Holds a write lock on a poll file, so an answer for it waits in the worker that has it.
class PollLock {
public:
    explicit PollLock(const std::filesystem::path& poll) : fd_(open(poll.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        locked_ = fd_ >= 0 && fcntl(fd_, F_SETLK, &lock) == 0;
    }
    ~PollLock() { Release(); }
    PollLock(const PollLock&) = delete;
    PollLock& operator=(const PollLock&) = delete;
    bool Locked() const { return locked_; }
    void Release() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool locked_ = false;
};

class FastCgiServers : public ::testing::TestWithParam<WebServerKind> {
protected:
    void SetUp() override {
        if (!WebServerInstalled(GetParam())) GTEST_SKIP() << WebServerName(GetParam()) << " is not installed";
        server_ = std::make_unique<WebServer>(GetParam(), dir_.Path());
        ASSERT_TRUE(server_->Running()) << server_->ErrorLog();
    }
    HttpResponse Get(const std::string& query, const std::string& headers = "") {
        return HttpRequest(server_->Port(), "GET", kProgram + query, "", "", headers);
    }
    HttpResponse Post(const std::string& body) { return HttpRequest(server_->Port(), "POST", kProgram, body); }
    std::string Cgi(const std::string& query) { return RunProgram(dir_.Program(), GetRequest(query)).body; }
    // The worker whose request waits for the poll file's lock: it has the file open. (A worker
    // holds other connections too, and one it has just answered may not be closed yet.)
    pid_t WorkerInHand(const std::string& poll) const {
        const std::filesystem::path file = std::filesystem::absolute(dir_.Path() / poll);
        for (pid_t worker : server_->FastCgiWorkers()) {
            std::error_code error;
            for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(worker) + "/fd", error))
                if (std::filesystem::read_symlink(fd.path(), error) == file) return worker;
        }
        return 0;
    }
    int Lines(const std::string& poll) const {
        const std::string text = dir_.Read(poll);
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    ScratchDir dir_;
    std::unique_ptr<WebServer> server_;
};

TEST_P(FastCgiServers, AnswerAsStandardCgiWithChartsRevalidated) {
    const HttpResponse help = Get("");
    EXPECT_EQ(help.status, 200) << server_->ErrorLog();
    EXPECT_EQ(help.Header("content-type").rfind("text/html", 0), 0u);
    EXPECT_EQ(help.body, Cgi(""));

    const HttpResponse byGet = Get("?command=add&backurl=http%3A%2F%2F127.0.0.1%2F&q.pol=yes");
    EXPECT_EQ(byGet.status, 200);
    EXPECT_NE(byGet.body.find("content=\"0;URL=http://127.0.0.1/\">"), std::string::npos) << byGet.body;
    const HttpResponse byPost = Post("command=add&q.pol=no");
    EXPECT_NE(byPost.body.find("Data saved correctly !"), std::string::npos) << byPost.body;
    EXPECT_EQ(Lines("q.pol"), 2);

    const std::string query = "?command=view&filename=q.pol&style=3";
    const HttpResponse chart = Get(query);
    EXPECT_EQ(chart.status, 200);
    EXPECT_EQ(chart.Header("content-type"), "image/gif");
    EXPECT_TRUE(chart.body == Cgi(query.substr(1))) << "the bytes standard CGI sends";
    const std::string tag = chart.Header("etag");
    ASSERT_EQ(tag.size(), 34u) << "a strong tag";

    const HttpResponse again = Get(query, "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(again.status, 304) << again.statusLine;
    EXPECT_EQ(again.body, "");
    EXPECT_EQ(again.Header("etag"), tag);
    EXPECT_EQ(again.Header("last-modified"), "") << "browsers revalidate every time";

    Post("command=add&q.pol=maybe");
    const HttpResponse changed = Get(query, "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(changed.status, 200);
    EXPECT_NE(changed.Header("etag"), tag);
    EXPECT_TRUE(changed.body == Cgi(query.substr(1))) << "the new chart";
}

TEST_P(FastCgiServers, AShapedChartLeavesNothingToThePlainOneAfterIt) {
    const std::string plain = Cgi("command=view");
    for (const char* shaped : {"style=3&3D=yes&3Dorthogonal=no&3DRotation=300&color=99", "style=1&number=Antworten&legend=no&border=yes",
                               "width=1200&height=900&backcolor=3&marks=no", "style=2&3D=yes&3DDepth=90&chartbacktopcolor=2"}) {
        ASSERT_TRUE(DecodeGif(Get(std::string("?command=view&") + shaped).body).ok) << shaped;
        EXPECT_TRUE(Get("?command=view").body == plain) << "after " << shaped;
    }
}

// The drawing asks now and then whether the client is still there: a web server that waits
// for the answer is.
TEST_P(FastCgiServers, AViewLongEnoughToAskForItsClientIsDrawnWhole) {
    std::string poll;
    for (int i = 0; i < 20000; ++i) poll += "2026-12-08 10:00:00,127.0.0.1,answer " + std::to_string(i) + "\r\n";
    dir_.Write("many.pol", poll);
    const HttpResponse chart = Get("?command=view&filename=many.pol");
    EXPECT_EQ(chart.status, 200) << server_->ErrorLog();
    EXPECT_TRUE(DecodeGif(chart.body).ok);
    EXPECT_FALSE(dir_.Exists("Log/tallyhouse.Log")) << dir_.Read("Log/tallyhouse.Log");
}

TEST_P(FastCgiServers, TwoThousandAnswersOverFiftyConnectionsAreAllKept) {
    std::vector<std::future<int>> clients;
    for (int c = 0; c < 50; ++c)
        clients.push_back(std::async(std::launch::async, [&, c] {
            int saved = 0;
            for (int i = 0; i < 40; ++i)
                saved += Get("?command=add&votes.pol=" + std::to_string(c)).body.find("Data saved") != std::string::npos;
            return saved;
        }));
    int saved = 0;
    for (auto& client : clients) saved += client.get();
    EXPECT_EQ(saved, 2000) << server_->ErrorLog();
    EXPECT_EQ(Lines("votes.pol"), 2000);
}

TEST_P(FastCgiServers, AWorkerKilledMidRequestIsReplacedAndLosesNoEarlierAnswer) {
    ASSERT_NE(Get("?command=add&q.pol=before").body.find("Data saved"), std::string::npos);
    PollLock lock(dir_.Path() / "q.pol");
    ASSERT_TRUE(lock.Locked());
    auto killed = std::async(std::launch::async, [&] { return Get("?command=add&q.pol=killed"); });
    pid_t busy = 0;
    ASSERT_TRUE(WaitUntil(60000, [&] { return (busy = WorkerInHand("q.pol")) != 0; }));
    kill(busy, SIGKILL);
    EXPECT_NE(killed.get().status, 200) << "the web server reports the lost worker";
    lock.Release();
    EXPECT_TRUE(WaitUntil(60000, [&] {
        const std::vector<pid_t> workers = server_->FastCgiWorkers();
        return workers.size() == FastCgiTestWorkers && std::find(workers.begin(), workers.end(), busy) == workers.end();
    })) << "a new worker takes the place of the killed one";
    EXPECT_NE(Get("?command=add&q.pol=after").body.find("Data saved"), std::string::npos) << server_->ErrorLog();
    const std::string poll = dir_.Read("q.pol");
    EXPECT_NE(poll.find(",before\r\n"), std::string::npos);
    EXPECT_EQ(poll.find(",killed"), std::string::npos);
    EXPECT_NE(poll.find(",after\r\n"), std::string::npos);
}

TEST_P(FastCgiServers, SigtermAnswersTheRequestInHandFirst) {
    PollLock lock(dir_.Path() / "q.pol");
    ASSERT_TRUE(lock.Locked());
    auto inHand = std::async(std::launch::async, [&] { return Get("?command=add&q.pol=in+hand"); });
    pid_t busy = 0;
    ASSERT_TRUE(WaitUntil(60000, [&] { return (busy = WorkerInHand("q.pol")) != 0; }));
    // Under lighttpd each worker is a FastCGI process of its own; otherwise the pool gets it.
    const pid_t stopped = server_->FastCgiServer() > 0 ? server_->FastCgiServer() : busy;
    kill(stopped, SIGTERM);
    lock.Release();
    const HttpResponse answer = inHand.get();
    EXPECT_EQ(answer.status, 200) << server_->ErrorLog();
    EXPECT_NE(answer.body.find("Data saved correctly !"), std::string::npos) << answer.body;
    EXPECT_NE(dir_.Read("q.pol").find(",in hand\r\n"), std::string::npos);
    EXPECT_TRUE(WaitUntil(60000, [&] {
        const std::vector<pid_t> workers = server_->FastCgiWorkers();
        return std::find(workers.begin(), workers.end(), busy) == workers.end();
    })) << "the stopped worker ends";
    if (server_->FastCgiServer() > 0) {
        int status = -1;
        EXPECT_TRUE(WaitUntil(60000, [&] { return waitpid(stopped, &status, WNOHANG) == stopped; }));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the pool ends cleanly: " << status;
        EXPECT_TRUE(server_->FastCgiWorkers().empty());
    }
}

// A visitor on a slow line: the request head and the start of a body sent, the rest to come.
class SlowPost {
public:
    SlowPost(int port, const std::string& start) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sending_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                   SendAll(fd_, std::string("POST ") + kProgram + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 1000\r\n\r\n" + start);
    }
    ~SlowPost() { close(fd_); }
    SlowPost(const SlowPost&) = delete;
    SlowPost& operator=(const SlowPost&) = delete;
    bool Sending() const { return sending_; }

private:
    int fd_;
    bool sending_ = false;
};

// Apache passes a body on as its client sends it: twenty slow visitors keep their FastCGI
// connections open, and a worker that waited for them would keep every other request waiting.
TEST(FastCgiBehindApache, SlowPostsHoldNoWorker) {
    if (!WebServerInstalled(WebServerKind::ApacheFastCgi)) GTEST_SKIP() << "Apache is not installed";
    ScratchDir dir;
    WebServer server(WebServerKind::ApacheFastCgi, dir.Path());
    ASSERT_TRUE(server.Running()) << server.ErrorLog();
    std::vector<std::unique_ptr<SlowPost>> visitors;
    for (int i = 0; i < 20; ++i) {
        visitors.push_back(std::make_unique<SlowPost>(server.Port(), "command=add&slow.pol=" + std::to_string(i)));
        ASSERT_TRUE(visitors.back()->Sending());
    }
    // Time for Apache to reach the program for each of them.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const HttpResponse help = HttpGet(server.Port(), kProgram);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(help.status, 200) << server.ErrorLog();
        EXPECT_LT(seconds, 1.0) << "a normal request waited behind the slow ones";
    }
    EXPECT_FALSE(dir.Exists("slow.pol"));
}

INSTANTIATE_TEST_SUITE_P(Servers, FastCgiServers,
                         ::testing::Values(WebServerKind::NginxFastCgi, WebServerKind::ApacheFastCgi,
                                           WebServerKind::LighttpdFastCgi),
                         [](const auto& param) { return std::string(WebServerName(param.param)); });

}  // namespace
