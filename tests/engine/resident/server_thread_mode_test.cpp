// ServerThreadMode: requests on parallel threads keep their own request state while the
// application's handler takes one request at a time.
#include <fcntl.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "engine/cgi/cgi_std_engine.h"
#include "engine/core/request_state.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

// One handed-over request on this thread: its environment, its output file.
std::string ServeOnThisThread(TCGIStdEngine& engine, const testsupport::ScratchDir& dir, int i) {
    const std::string out = (dir.Path() / ("out" + std::to_string(i))).string();
    TCGIStdRequestState& request = CgiStdRequest();
    request.EnvironmentList = std::vector<std::string>{"REQUEST_METHOD=GET", "SERVER_SOFTWARE=lighttpd",
                                                       "QUERY_STRING=n=" + std::to_string(i)};
    request.OutputStream = TFileStream::Open(out, O_WRONLY | O_CREAT | O_TRUNC);
    request.InputStream = TFileStream::Open("/dev/null", O_RDONLY);
    engine.ProcessRequest();
    request.OutputStream.reset();
    request.InputStream.reset();
    request.EnvironmentList.reset();
    return testsupport::ReadFile(out);
}

TEST(ServerThreadMode, HandlersTakeTurnsWhileEachThreadKeepsItsOwnRequest) {
    testsupport::ScratchDir dir;
    std::atomic<int> inside{0}, mostInside{0}, firsts{0};
    std::atomic<bool> firstDone{false}, execBeforeFirst{false};
    THttpEngineProperties properties;
    properties.CGIMode = ServerThreadMode;
    properties.OnFirstExecRequest = [&](THttpEngine&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ++firsts;
        firstDone = true;
    };
    properties.OnExecRequest = [&](THttpEngine&) {
        if (!firstDone) execBeforeFirst = true;
        const int now = ++inside;
        mostInside = std::max(mostInside.load(), now);
        HttpWrite("<p>request " + HttpGetField("n", "?") + "</p>");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        --inside;
    };
    TCGIStdEngine engine(false, properties, false);

    constexpr int Threads = 8;
    std::vector<std::string> outputs(Threads);
    std::vector<std::thread> threads;
    for (int i = 0; i < Threads; ++i)
        threads.emplace_back([&, i] { outputs[i] = ServeOnThisThread(engine, dir, i); });
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(mostInside.load(), 1) << "the application's handler ran for two requests at once";
    EXPECT_EQ(firsts.load(), 1);
    EXPECT_FALSE(execBeforeFirst.load()) << "a request was handled before the first-request event ended";
    for (int i = 0; i < Threads; ++i)
        EXPECT_NE(outputs[i].find("\r\n\r\n<p>request " + std::to_string(i) + "</p>"), std::string::npos)
            << "request " << i << " got: " << outputs[i];
}

}  // namespace
