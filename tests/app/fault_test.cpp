// Faults an installed program meets: killed in the middle of an answer, a full disk, a
// read-only folder, a very large poll, and many answers arriving through the web server at once.
#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"
#include "tests/support/http_client.h"
#include "tests/support/web_server.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// The ISO 8601 date and time of the plain locale, as the tests run the program without a locale.
const std::string kStamp = R"(\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d)?)";

bool IsAnswerLine(const std::string& text, const std::string& answer) {
    return std::regex_match(text, std::regex(kStamp + ",127\\.0\\.0\\.1," + answer + "\r\n"));
}

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Starts the program on a GET request without waiting for it; its output is dropped.
pid_t StartProgram(const ScratchDir& dir, const std::string& query) {
    std::vector<std::string> env;
    for (const auto& [name, value] : GetRequest(query).env) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string program = dir.Program();
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.Path().c_str()) != 0 || !freopen("/dev/null", "w", stdout)) _exit(126);
        execve(program.c_str(), argv, envp.data());
        _exit(127);
    }
    return pid;
}

// The shortest of a few whole runs, from fork to exit.
long MicrosecondsOfOneAdd() {
    ScratchDir dir;
    long shortest = 0;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        waitpid(StartProgram(dir, "command=add&timing.pol=x"), &status, 0);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        if (i == 0 || took.count() < shortest) shortest = took.count();
    }
    return shortest;
}

// Each round kills an add at a random moment, from before the program starts to after it has
// finished. Whatever the moment, the earlier lines stay byte for byte, the killed request adds
// its whole line or nothing, and the second poll never gets a line the first did not.
TEST(Faults, AnAddKilledAtAnyMomentLeavesEveryEarlierLineWhole) {
    ScratchDir dir;
    const long span = MicrosecondsOfOneAdd() * 3 / 2;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long> delay(0, span);
    std::string first, second;
    int killedRunning = 0, added = 0;
    for (int round = 0; round < 150; ++round) {
        const std::string answer = "answer" + std::to_string(round);
        const pid_t pid = StartProgram(dir, "command=add&first.pol=" + answer + "&second.pol=" + answer);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFSIGNALED(status)) ++killedRunning;

        const std::string firstNow = dir.Read("first.pol"), secondNow = dir.Read("second.pol");
        ASSERT_EQ(firstNow.substr(0, first.size()), first) << "round " << round;
        ASSERT_EQ(secondNow.substr(0, second.size()), second) << "round " << round;
        for (const std::string& tail : {firstNow.substr(first.size()), secondNow.substr(second.size())})
            ASSERT_TRUE(tail.empty() || IsAnswerLine(tail, answer)) << "round " << round << ": " << tail;
        ASSERT_LE(LineCount(secondNow), LineCount(firstNow)) << "round " << round;
        if (firstNow.size() > first.size()) ++added;
        first = firstNow;
        second = secondNow;
    }
    // Both outcomes must have happened, or the delays missed the program altogether.
    EXPECT_GT(killedRunning, 0);
    EXPECT_GT(added, 0);
}

// Runs the program with no more file size than limit for each file it writes (a full disk as
// far as the program can tell; SIGXFSZ is ignored by the program, the write fails).
CgiResult AddWithFileSizeLimit(const ScratchDir& dir, const std::string& fields, rlim_t limit) {
    CgiRequest request = GetRequest("command=add&" + fields);
    request.env["CGI_LOG_DIR"] = (dir.Path() / "logs").string();
    request.inChild = [limit] {
        const rlimit size{limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
    };
    return RunProgram(dir.Program(), request);
}

// A failed add answers its status and a page that says so; a "Data saved" page or a redirect
// would tell the person the answer was kept.
void ExpectFailureAnswered(const CgiResult& result, const ScratchDir& dir, const std::string& reason,
                           const std::string& status = "500 Internal Server Error") {
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.header.rfind("HTTP/1.1 " + status + "\r\n", 0), 0u) << result.header;
    EXPECT_EQ(result.body.find("Data saved"), std::string::npos);
    EXPECT_EQ(result.body.find("REFRESH"), std::string::npos);
    const std::string log = ReadFile(dir.Path() / "logs" / "tallyhouse.Log");
    EXPECT_NE(log.find("Unhandled exception : "), std::string::npos) << log;
    EXPECT_NE(log.find(reason), std::string::npos) << log;
}

TEST(Faults, AFullDiskAnswersAnErrorAndKeepsWhatWasWritten) {
    // Long enough that the log line of the failure fits under the same limit.
    std::string earlier;
    for (int i = 0; i < 10; ++i) earlier += "12/01/26 10:00:0" + std::to_string(i) + ",10.0.0.1,answer\r\n";
    struct Case {
        const char* fault;
        std::string fields;
        const char* smallAnswer;  // the line small.pol must hold afterwards, or nullptr
    };
    const std::string tooLong(earlier.size(), 'z');
    const Case cases[] = {
        {"an existing poll loses earlier lines or keeps a partial line", "full.pol=" + tooLong, nullptr},
        {"a poll written before the failing one loses its new line", "small.pol=y&full.pol=" + tooLong, "y"},
        {"a new poll keeps a partial line", "new.pol=" + tooLong, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ScratchDir dir;
        dir.Write("full.pol", earlier);
        const rlim_t limit = earlier.size() + 8;
        ExpectFailureAnswered(AddWithFileSizeLimit(dir, c.fields, limit), dir, "Cannot write file");
        EXPECT_EQ(dir.Read("full.pol"), earlier);
        if (c.smallAnswer)
            EXPECT_TRUE(IsAnswerLine(dir.Read("small.pol"), c.smallAnswer)) << dir.Read("small.pol");
        else
            EXPECT_FALSE(dir.Exists("small.pol"));
        EXPECT_EQ(dir.Read("new.pol"), "");
    }
}

// Drops the root rights that would let the program write anywhere: as nobody, a folder without
// write permission is read-only for it.
void RunAsNobody() {
    if (geteuid() != 0) return;
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(125);
}

TEST(Faults, AReadOnlyFolderAnswersAnErrorAndChangesNothing) {
    const std::string earlier = "12/01/26 10:00:00,10.0.0.1,kept\r\n";
    struct Case {
        const char* fault;
        const char* fields;
        fs::perms pollMode;
        bool recorded;
        const char* status;
        const char* reason;
    };
    const Case cases[] = {
        {"a new poll is reported saved though it cannot be created", "new.pol=x", fs::perms::all, false,
         "500 Internal Server Error", "Permission denied"},
        // The operator made it read-only: the poll is closed.
        {"a read-only poll is reported saved or damaged", "old.pol=x", fs::perms(0444), false, "403 Forbidden",
         "the poll is closed: old.pol"},
        // Appending needs no write permission on the folder: a folder that only holds the poll
        // files writable keeps taking answers (and never needs a temporary file beside them).
        {"a writable poll in a read-only folder is refused", "old.pol=x", fs::perms::all, true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ScratchDir dir;
        dir.Write("old.pol", earlier);
        fs::permissions(dir.Path() / "old.pol", c.pollMode);
        fs::create_directories(dir.Path() / "logs");
        fs::permissions(dir.Path() / "logs", fs::perms::all);
        fs::permissions(dir.Path(), fs::perms(0555));
        CgiRequest request = GetRequest(std::string("command=add&") + c.fields);
        request.env["CGI_LOG_DIR"] = (dir.Path() / "logs").string();
        request.inChild = RunAsNobody;
        const CgiResult result = RunProgram(dir.Program(), request);
        fs::permissions(dir.Path(), fs::perms::all);
        if (c.recorded) {
            EXPECT_NE(result.body.find("Data saved correctly !"), std::string::npos) << result.output;
            const std::string text = dir.Read("old.pol");
            EXPECT_EQ(text.substr(0, earlier.size()), earlier);
            EXPECT_TRUE(IsAnswerLine(text.substr(earlier.size()), "x")) << text;
            continue;
        }
        ExpectFailureAnswered(result, dir, c.reason, c.status);
        EXPECT_EQ(dir.Read("old.pol"), earlier);
        EXPECT_FALSE(dir.Exists("new.pol"));
    }
}

// A small tmpfs mounted over a folder for the life of the object; only root may mount.
class SmallDisk {
public:
    SmallDisk(const fs::path& where, size_t bytes) : where_(where) {
        fs::create_directories(where_);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted_ = mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

    // Writes a filler file until the disk takes no more.
    void FillUp() const {
        std::ofstream filler(where_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
        }
    }

private:
    fs::path where_;
    bool mounted_ = false;
};

// A really full disk, behind lighttpd: the browser gets the server's error page and the poll
// file keeps its earlier lines and no piece of the new one.
TEST(Faults, AFullDiskBehindTheWebServerAnswersAnErrorPage) {
    if (!WebServerInstalled(WebServerKind::Lighttpd)) GTEST_SKIP() << "lighttpd is not installed";
    ScratchDir scratch;
    const fs::path folder = scratch.Path() / "disk";
    SmallDisk disk(folder, fs::file_size(scratch.Program()) + (1 << 20));
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
    fs::copy_file(scratch.Program(), folder / "tallyhouse.cgi");
    // The log lives off the full disk (through a link), so the reason can be read.
    fs::create_directories(scratch.Path() / "logs");
    fs::create_directory_symlink(scratch.Path() / "logs", folder / "Log");
    // Exactly one page of whole lines: tmpfs has no room left in the file's last page.
    std::string earlier;
    for (int i = 0; earlier.size() < 4096; ++i) earlier += "12/01/26 10:00:00,10.0.0.1,answer" + std::to_string(i) + "\r\n";
    earlier.resize(4096 - 2);
    earlier.back() = 'x';
    earlier += "\r\n";
    std::ofstream(folder / "full.pol", std::ios::binary) << earlier;
    disk.FillUp();

    {
        WebServer server(WebServerKind::Lighttpd, folder);
        ASSERT_TRUE(server.Running()) << server.ErrorLog();
        const HttpResponse r = HttpGet(server.Port(), "/cgi-bin/tallyhouse.cgi?command=add&backurl=/&full.pol=yes");
        EXPECT_EQ(r.status, 500) << r.statusLine << "\n" << r.body;
    }
    EXPECT_EQ(ReadFile(folder / "full.pol"), earlier);
    const std::string log = ReadFile(scratch.Path() / "logs" / "tallyhouse.Log");
    EXPECT_NE(log.find("Cannot write file"), std::string::npos) << log;
}

// Some 50 MB of answers: the chart still comes back, whole and at its size.
TEST(Faults, AFiftyMegabytePollIsCharted) {
    ScratchDir dir;
    {
        std::ofstream poll(dir.Path() / "large.pol", std::ios::binary);
        const char* answers[] = {"very good", "good", "average", "poor"};
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pick(0, 3);
        size_t size = 0;
        for (int i = 0; size < 50u << 20; ++i) {
            const std::string line = "12/08/26 10:" + std::to_string(10 + i % 50) + ":00,192.168.100." +
                                     std::to_string(i % 250) + "," + answers[pick(random)] + "\r\n";
            poll << line;
            size += line.size();
        }
    }
    const CgiResult result = RunProgram(dir.Program(), GetRequest("command=view&filename=large.pol&style=3"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.header.find("image/gif"), std::string::npos) << result.header;
    const DecodedGif gif = DecodeGif(result.body);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 400);
    EXPECT_EQ(gif.height, 250);
}

// Concurrent answers through lighttpd, each on its own connection: none is lost or merged.
TEST(NoLostVotes, AnswersSentTogetherThroughTheWebServerAreAllKept) {
    if (!WebServerInstalled(WebServerKind::Lighttpd)) GTEST_SKIP() << "lighttpd is not installed";
    ScratchDir dir;
    WebServer server(WebServerKind::Lighttpd, dir.Path());
    ASSERT_TRUE(server.Running()) << server.ErrorLog();
    constexpr int kSenders = 16, kEach = 15;
    std::vector<std::thread> senders;
    std::atomic<int> failures{0};
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([&, s] {
            for (int i = 0; i < kEach; ++i) {
                const std::string body = "command=add&votes.pol=v" + std::to_string(s * kEach + i);
                if (HttpRequest(server.Port(), "POST", "/cgi-bin/tallyhouse.cgi", body).status != 200) ++failures;
            }
        });
    for (std::thread& sender : senders) sender.join();
    EXPECT_EQ(failures, 0) << server.ErrorLog();
    const std::string text = dir.Read("votes.pol");
    EXPECT_EQ(LineCount(text), size_t{kSenders * kEach});
    std::istringstream lines(text);
    std::set<std::string> seen;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(IsAnswerLine(line + "\n", "v\\d+")) << line;
        seen.insert(line.substr(line.rfind(',') + 1));
    }
    EXPECT_EQ(seen.size(), size_t{kSenders * kEach});
}

}  // namespace
