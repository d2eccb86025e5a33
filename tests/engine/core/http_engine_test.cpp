#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <utility>

#include "engine/core/error_log.h"
#include "engine/core/request_events.h"
#include "engine/core/request_state.h"
#include "platform/os/exception.h"
#include "platform/os/system_module.h"
#include "tests/engine/test_engine.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace fs = std::filesystem;

namespace {

// A log folder of the test's own, named by CGI_LOG_DIR while it lives.
struct LogFolder {
    fs::path path;
    LogFolder() {
        path = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("log-" + std::to_string(getpid()));
        fs::remove_all(path);
        setenv("CGI_LOG_DIR", path.c_str(), 1);
    }
    ~LogFolder() {
        unsetenv("CGI_LOG_DIR");
        fs::remove_all(path);
    }
    std::string Text() const { return testsupport::ReadFile(path / "engine_tests.Log"); }
};

}  // namespace

TEST(HttpEngine, VariablesFallBackToTheirSecondNames) {
    TTestEngine engine;
    auto& v = engine.Variables;
    v["AUTHETICATION METHOD"] = "Basic";
    v["SCRIPT NAME"] = "/cgi-bin/t.cgi";
    v["QUERY STRING"] = NotAvailable;
    v["REMOTE ADDRESS"] = "10.0.0.1";
    v["REQUEST PROTOCOL"] = "HTTP/1.0";
    v["DOCUMENT ROOT"] = "/var/www";
    v["USER AGENT"] = "agent";
    v["REFERER"] = "http://r/";
    v["SERVER PORT SECURE"] = "1";
    EXPECT_EQ(engine.GetAuthType(), "Basic");
    EXPECT_EQ(engine.GetExecutablePath(), "/cgi-bin/t.cgi");
    EXPECT_EQ(engine.GetURL(), "/cgi-bin/t.cgi") << "URL and HTTP_URL missing";
    EXPECT_EQ(engine.GetQueryString(), "") << "the missing-value marker reads as empty";
    EXPECT_EQ(engine.GetRemoteAddr(), "10.0.0.1");
    EXPECT_EQ(engine.GetServerProtocol(), "HTTP/1.0");
    EXPECT_EQ(engine.GetPathTranslated(), "/var/www");
    EXPECT_EQ(engine.GetUserAgent(), "agent");
    EXPECT_EQ(engine.GetReferer(), "http://r/");
    EXPECT_TRUE(engine.IsSecurePort());
    v["AUTH TYPE"] = "Digest";
    v["URL"] = "/u";
    EXPECT_EQ(engine.GetAuthType(), "Digest");
    EXPECT_EQ(engine.GetURL(), "/u");
    for (const auto& [text, length] : std::vector<std::pair<std::string, int>>{{"12", 12}, {"x1", 0}, {"", 0}}) {
        v["CONTENT LENGTH"] = text;
        EXPECT_EQ(engine.GetContentLength(), length) << text;
    }
}

TEST(HttpEngine, UnhandledExceptionIsLoggedAndTheRequestStillEnds) {
    LogFolder log;
    TTestEngine engine;
    engine.BufferedOutput = true;
    const std::string out = engine.Serve([] {
        HttpWrite("partial");
        throw EConvertError("'abc' ist kein g\xFCltiger Integerwert");
    });
    EXPECT_EQ(out, "partial") << "written output is flushed, the header is not completed";
    const std::regex line(".+,  [0-9]{1,3} : Unhandled exception : 'abc' ist kein g\xFCltiger Integerwert\r\n");
    EXPECT_TRUE(std::regex_match(log.Text(), line)) << log.Text();
    EXPECT_EQ(RequestState().RequestNumber, 0);
}

TEST(HttpEngine, RequestErrorHandlerReplacesTheLog) {
    LogFolder log;
    TTestEngine engine;
    std::string seen;
    engine.OnRequestError = [&](THttpEngine&, const std::exception& e) { seen = e.what(); };
    engine.Serve([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(seen, "boom");
    EXPECT_FALSE(fs::exists(log.path / "engine_tests.Log"));
}

TEST(HttpEngine, EndRequestDeletesTheRequestsFiles) {
    const fs::path dir = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("temp-" + std::to_string(getpid()));
    fs::create_directories(dir);
    TTestEngine engine;
    engine.Serve([&] {
        RequestState().TempFiles.emplace();
        for (const char* name : {"a.tmp", "b.tmp"}) {
            std::ofstream(dir / name) << "x";
            RequestState().TempFiles->push_back((dir / name).string());
        }
        RequestState().TempFiles->push_back((dir / "never-made.tmp").string());
    });
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_FALSE(RequestState().TempFiles.has_value());
    fs::remove_all(dir);
}

TEST(ErrorLog, FolderAndFileRules) {
    const fs::path base = fs::path(TALLYHOUSE_BINARY_DIR) / "scratch" / ("logrules-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    const std::string module = (base / "tallyhouse.cgi").string();
    const std::string b = base.string();
    EXPECT_EQ(LogFilePath(module, ""), b + "/Log/tallyhouse.Log");
    EXPECT_EQ(LogFilePath(module, "logs/./x//"), b + "/logs/x/tallyhouse.Log") << "relative to the module";
    EXPECT_EQ(LogFilePath(module, b + "/abs"), b + "/abs/tallyhouse.Log");
    EXPECT_EQ(LogFilePath(b + "/x.y.exe", "/proc/forbidden"), b + "/x.Log") << "falls back to the module folder";
    EXPECT_EQ(LogLine("08.12.2026 14:07:09", 42, "m"), "08.12.2026 14:07:09,  42 : m\r\n");
    EXPECT_EQ(LogLine("d", 1, std::string("a\r\nb\0c\x1F\x7F\xFC", 9)), "d,  1 : a\\x0D\\x0Ab\\x00c\\x1F\\x7F\xFC\r\n")
        << "control bytes cannot start a line of their own";
    AppendLogLine(b + "/t.Log", "one\r\n");
    AppendLogLine(b + "/t.Log", "two\r\n");
    EXPECT_EQ(testsupport::ReadFile(base / "t.Log"), "one\r\ntwo\r\n");
    AppendLogLine(b + "/no/such/dir/t.Log", "ignored\r\n");
    fs::remove_all(base);
}

TEST(HttpEngine, LocksAreRealMutexes) {
    TTestEngine engine;
    TLock* lock = engine.CreateLock();
    engine.Lock(lock);
    EXPECT_FALSE(lock->try_lock());
    engine.Unlock(lock);
    EXPECT_TRUE(lock->try_lock());
    lock->unlock();
    engine.FreeLock(lock);
    engine.Lock(nullptr);
    engine.Unlock(nullptr);
    engine.FreeLock(nullptr);
}

TEST(HttpEngine, RoutinesWithoutACurrentEngineDoNothing) {
    RequestState().CurrentEngine = nullptr;
    HttpWrite("x");
    EXPECT_EQ(HttpGetField("a", "d"), "d");
    EXPECT_EQ(HttpGetVariable("A"), "");
    EXPECT_EQ(CurrentHttpEngine(), nullptr);
}

TEST(RequestEvents, FirstOnceUntilItSucceedsAndLastOnlyWhereTheEngineHasOne) {
    struct Case {
        const char* fault;
        TRequestEvents::TRules rules;
        bool firstFailsOnce;
        const char* expected;
    } cases[] = {
        {"first event raised again, or last raised by an engine without one", {}, false, "F E E "},
        {"last request's event missing", {.LastRequest = true}, false, "F E L E L "},
        {"a failed first event never raised again", {}, true, "F! F E E "},
    };
    for (const Case& c : cases) {
        TTestEngine engine;
        std::string calls;
        bool fail = c.firstFailsOnce;
        engine.OnFirstExecRequest = [&](THttpEngine&) {
            calls += fail ? "F! " : "F ";
            if (std::exchange(fail, false)) throw Exception("not ready");
        };
        engine.OnExecRequest = [&](THttpEngine&) { calls += "E "; };
        engine.OnLastExecRequest = [&](THttpEngine&) { calls += "L "; };
        TRequestEvents events;
        for (int request = 0; request < (c.firstFailsOnce ? 3 : 2); ++request) {
            try {
                events.Fire(engine, c.rules);
            } catch (const Exception&) {
            }
        }
        EXPECT_EQ(calls, c.expected) << c.fault;
    }
}

TEST(RequestEvents, EnginesThatTakeTurnsShareOneApplicationLock) {
    TTestEngine one, two;
    std::atomic<int> inside{0}, mostInside{0};
    const auto handler = [&](THttpEngine&) {
        const int now = ++inside;
        mostInside = std::max(mostInside.load(), now);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --inside;
    };
    one.OnExecRequest = two.OnExecRequest = handler;
    TRequestEvents eventsOne, eventsTwo;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] {
            for (int request = 0; request < 5; ++request) {
                if (i % 2) eventsOne.Fire(one, {.TakeTurns = true});
                else eventsTwo.Fire(two, {.TakeTurns = true});
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mostInside.load(), 1) << "handlers of two engines ran at once";
}
