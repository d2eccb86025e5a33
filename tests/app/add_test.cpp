#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>
#include <vector>

#include "tests/app/expected_pages.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::app;
using namespace testsupport;

namespace {

const std::string kHeader = "HTTP/1.1 200 OK\r\ncontent-type:text/html\r\n\r\n";
// The test runs the program without a locale, as web servers do: ISO 8601 date and time.
const std::string kStamp = R"(\d{4}-\d\d-\d\d( \d\d:\d\d:\d\d)?)";

CgiResult Add(const ScratchDir& dir, const std::string& fields) {
    return RunProgram(dir.Program(), GetRequest("command=add&" + fields));
}

bool IsAnswerLines(const std::string& text, const std::string& answer, int lines) {
    std::string line = kStamp + ",127\\.0\\.0\\.1," + answer + "\r\n";
    std::string pattern;
    for (int i = 0; i < lines; ++i) pattern += line;
    return std::regex_match(text, std::regex(pattern));
}

TEST(Add, WritesOneAnswerLinePerPollFieldAndConfirms) {
    ScratchDir dir;
    const CgiResult result = Add(dir, "question1.pol=yes&other=1&q.pol=&q2.pol=very+good");
    EXPECT_EQ(result.output, kHeader + SentMessagePage(kSavedMessage));
    EXPECT_TRUE(IsAnswerLines(dir.Read("question1.pol"), "yes", 1)) << dir.Read("question1.pol");
    EXPECT_TRUE(IsAnswerLines(dir.Read("q.pol"), "", 1)) << "an empty answer ends the line with a comma";
    EXPECT_TRUE(IsAnswerLines(dir.Read("q2.pol"), "very good", 1));
    EXPECT_FALSE(dir.Exists("other"));
    Add(dir, "question1.pol=no");
    const std::string both = dir.Read("question1.pol");
    EXPECT_TRUE(std::regex_match(both, std::regex(kStamp + ",127\\.0\\.0\\.1,yes\r\n" + kStamp + ",127\\.0\\.0\\.1,no\r\n")));
}

TEST(Add, PostedFormsAndTheFallbackAddressAreRecorded) {
    ScratchDir dir;
    CgiRequest request = PostRequest("command=add&question2.pol=poor");
    request.env["REMOTE_ADDR"] = "";
    request.env["REMOTE_ADDRESS"] = "10.1.2.3";
    RunProgram(dir.Program(), request);
    EXPECT_TRUE(std::regex_match(dir.Read("question2.pol"), std::regex(kStamp + ",10\\.1\\.2\\.3,poor\r\n")));
}

TEST(Add, AnOperatorsTimeLocaleKeepsItsOwnDateFormat) {
    ScratchDir dir;
    const std::filesystem::path german = dir.Path() / "locales" / "de_DE";
    std::filesystem::create_directories(german.parent_path());
    ASSERT_EQ(std::system(("localedef -i de_DE -f ISO-8859-1 " + german.string()).c_str()), 0)
        << "localedef and the locales package build the German locale";
    CgiRequest request = GetRequest("command=add&german.pol=ja");
    request.env["LOCPATH"] = german.parent_path().string();
    request.env["LC_TIME"] = "de_DE";
    RunProgram(dir.Program(), request);
    const std::string line = dir.Read("german.pol");
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?,127\.0\.0\.1,ja\r\n)"))) << line;
}

TEST(Add, OnlyTheExactLowerCaseExtensionIsAPollFile) {
    ScratchDir dir;
    Add(dir, "Q1.POL=a&q2.Pol=b&q3.pol.txt=c&pol=d&q4.po=e&a%3A.pol=f");
    for (const char* name : {"Q1.POL", "q2.Pol", "q3.pol.txt", "pol", "q4.po"}) EXPECT_FALSE(dir.Exists(name)) << name;
    EXPECT_TRUE(dir.Exists("a:.pol")) << "a colon before the dot keeps the extension";
}

TEST(Add, NewLineJoinsTheFileWhateverItsLastLineBreak) {
    struct Case {
        const char* fault;
        std::string before;
        std::string joined;  // pattern of what follows the old text
    } const cases[] = {
        {"no final line break gets CR LF before and none after", "d,a,old", "\r\n" + kStamp + ",127\\.0\\.0\\.1,new"},
        {"lone LF counts as a line break", "d,a,old\n", kStamp + ",127\\.0\\.0\\.1,new\r\n"},
        {"lone CR counts as a line break", "d,a,old\r", kStamp + ",127\\.0\\.0\\.1,new\r\n"},
        {"empty file made by hand", "", kStamp + ",127\\.0\\.0\\.1,new\r\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        dir.Write("p.pol", c.before);
        Add(dir, "p.pol=new");
        const std::string after = dir.Read("p.pol");
        ASSERT_EQ(after.substr(0, c.before.size()), c.before) << c.fault;
        EXPECT_TRUE(std::regex_match(after.substr(c.before.size()), std::regex(c.joined))) << c.fault << ": " << after;
    }
}

TEST(Add, EachValueOfARepeatedFieldIsAnAnswerLineOfItsOwn) {
    ScratchDir dir;
    Add(dir, "multi.pol=a&multi.pol=b");
    EXPECT_TRUE(IsAnswerLines(dir.Read("multi.pol"), "(a|b)", 2)) << dir.Read("multi.pol");
    EXPECT_EQ(dir.Read("multi.pol").find(",b\r\n"), dir.Read("multi.pol").size() - 4) << "values in their order";
}

TEST(Add, KeyFileStopsNewPollFilesAndTheWholeRequestThatNamesOne) {
    struct Case {
        const char* fault;
        const char* fields;
        bool oldGetsLine;
        bool newCreated;
    } const cases[] = {
        {"existing file still takes answers", "old.pol=1", true, false},
        {"missing file is not created", "new.pol=1", false, false},
        {"refusal stops later fields", "new.pol=1&old.pol=1", false, false},
        {"fields before the refusal are not written either", "old.pol=1&new.pol=1", false, false},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        dir.Write("tallyhouse.key", "");
        dir.Write("old.pol", "d,a,x\r\n");
        const CgiResult result = Add(dir, std::string(c.fields) + "&backurl=http://127.0.0.1/");
        const bool refused = std::string(c.fields).find("new.pol") != std::string::npos;
        EXPECT_EQ(result.body, refused ? SentMessagePage(kLockedMessage) : RedirectPage("http://127.0.0.1/")) << c.fault;
        EXPECT_EQ(result.header.rfind(refused ? "HTTP/1.1 403 Forbidden\r\n" : "HTTP/1.1 200 OK\r\n", 0), 0u) << c.fault;
        EXPECT_EQ(dir.Read("old.pol").size() > 7, c.oldGetsLine) << c.fault;
        EXPECT_EQ(dir.Exists("new.pol"), c.newCreated) << c.fault;
    }
}

TEST(Add, RedirectPageCarriesBackurlEscaped) {
    ScratchDir dir;
    const CgiResult plain = Add(dir, "q.pol=1&backurl=http%3A%2F%2F127.0.0.1%2Fthanks.html");
    EXPECT_EQ(plain.output, kHeader +
                                "<html><head><title>Brightloom TALLYHOUSE</title>"
                                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"
                                "<meta http-equiv=\"REFRESH\" content=\"0;URL=http://127.0.0.1/thanks.html\">"
                                "</head><body></body></html>");
    const CgiResult hostile = Add(dir, "q.pol=1&backurl=x%22%3E%3Cscript%3Ealert(1)%3C/script%3E%26y");
    EXPECT_NE(hostile.body.find("content=\"0;URL=x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&amp;y\">"),
              std::string::npos)
        << hostile.body;
    EXPECT_EQ(hostile.body.find("<script>"), std::string::npos);
}

TEST(Add, NamesThatLeaveTheFolderRefuseTheWholeRequest) {
    for (const char* name : {"..%2Fescape.pol", "sub%2Fin.pol", "back%5Cslash.pol", "nul%00.pol"}) {
        ScratchDir dir;
        std::filesystem::create_directory(dir.Path() / "sub");
        const CgiResult result = Add(dir, std::string("ok.pol=1&") + name + "=1&backurl=/");
        EXPECT_EQ(result.header.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u) << name << ": neither success nor the redirect";
        EXPECT_NE(result.body.find("leaves the program's folder"), std::string::npos) << name;
        EXPECT_FALSE(std::filesystem::exists(dir.Path().parent_path() / "escape.pol"));
        EXPECT_FALSE(dir.Exists("sub/in.pol"));
        EXPECT_FALSE(dir.Exists("back\\slash.pol"));
        EXPECT_FALSE(dir.Exists("nul"));
        EXPECT_FALSE(dir.Exists("ok.pol")) << name << ": nothing of the request is recorded";
        const std::string log = dir.Read("Log/tallyhouse.Log");
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find("leaves the program's folder"), std::string::npos) << log;
    }
}

TEST(Add, FiftyAnswersAtOnceAreAllKept) {
    ScratchDir dir;
    constexpr int kCount = 50;
    std::vector<std::thread> senders;
    for (int i = 0; i < kCount; ++i)
        senders.emplace_back([&dir, i] { Add(dir, "busy.pol=answer" + std::to_string(i)); });
    for (std::thread& sender : senders) sender.join();
    const std::string text = dir.Read("busy.pol");
    EXPECT_TRUE(std::regex_match(text, std::regex("(" + kStamp + ",127\\.0\\.0\\.1,answer\\d+\r\n){50}"))) << text;
    for (int i = 0; i < kCount; ++i)
        EXPECT_NE(text.find(",answer" + std::to_string(i) + "\r\n"), std::string::npos) << i;
}

// Until another process has the file open (an answer opens its poll file, then waits for the
// lock held here), or Ended says the waiting is over; a minute as a safety net.
bool WaitForLockWaiter(const std::filesystem::path& file, const std::function<bool()>& ended) {
    for (int tries = 0; tries < 6000 && !ended(); ++tries) {
        std::error_code error;
        for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
            if (process.path().filename() == std::to_string(getpid())) continue;
            for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", error))
                if (std::filesystem::read_symlink(fd.path(), error) == file) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(Add, AnAnswerWaitsForTheLockOnItsPollFile) {
    ScratchDir dir;
    dir.Write("held.pol", "");
    const int fd = open((dir.Path() / "held.pol").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(fd, F_SETLK, &lock), 0);
    std::atomic<bool> done{false};
    std::thread sender([&] {
        Add(dir, "held.pol=late");
        done = true;
    });
    const bool blocked = WaitForLockWaiter(std::filesystem::absolute(dir.Path() / "held.pol"), [&] { return done.load(); });
    EXPECT_TRUE(blocked) << "the answer did not wait for the lock";
    EXPECT_EQ(dir.Read("held.pol"), "");
    lock.l_type = F_UNLCK;
    fcntl(fd, F_SETLK, &lock);
    sender.join();
    close(fd);
    EXPECT_TRUE(IsAnswerLines(dir.Read("held.pol"), "late", 1));
}

TEST(Add, AFailedWriteLeavesEarlierAnswersIntact) {
    ScratchDir dir;
    const std::string earlier = "12/01/26 10:00:00,10.0.0.1,first answer\r\n12/01/26 10:00:01,10.0.0.1,second\r\n"
                                "12/01/26 10:00:02,10.0.0.1,third answer of all\r\n";
    dir.Write("full.pol", earlier);
    CgiRequest request = GetRequest("command=add&full.pol=an+answer+that+does+not+fit");
    const rlim_t limit = earlier.size() + 5;
    request.inChild = [limit] {
        const rlimit size{limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
    };
    const CgiResult result = RunProgram(dir.Program(), request);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(dir.Read("full.pol"), earlier);
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("Unhandled exception : "), std::string::npos);
}

}  // namespace
