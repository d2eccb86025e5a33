// The NSAPI engine bound to the tests' stand-in server library: binding by name, request
// variables from the parameter blocks, the body from the input buffer, headers and output
// through the server's functions, and its locks.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "engine/nsapi/nsapi_binding.h"
#include "engine/nsapi/nsapi_engine.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::engine;
using namespace testsupport;

namespace {

using pblock_create_t = pblock* (*)(int);
using pblock_free_t = void (*)(pblock*);

// One request as the stand-in server hands it over: parameter blocks, a socket file that
// collects the response and an input buffer over a file that holds the body.
struct ServerRequest {
    Session sn{};
    Request rq{};
    netbuf in{};
    pblock* parameters;
    unsigned char inbuf[8] = {};  // small, so the body comes in several refills

    explicit ServerRequest(const std::string& body = "") {
        const auto create = ServerCall<pblock_create_t>("pblock_create");
        rq.reqpb = create(4);
        rq.vars = create(4);
        rq.headers = create(4);
        rq.srvhdrs = create(4);
        sn.client = create(4);
        parameters = create(4);
        sn.csd = memfd_create("response", 0);
        in.sd = memfd_create("body", 0);
        if (write(in.sd, body.data(), body.size()) != static_cast<ssize_t>(body.size())) ADD_FAILURE();
        lseek(in.sd, 0, SEEK_SET);
        in.inbuf = inbuf;
        in.maxsize = sizeof inbuf;
        sn.inbuf = &in;
    }
    ~ServerRequest() {
        const auto free = ServerCall<pblock_free_t>("pblock_free");
        for (pblock* pb : {rq.reqpb, rq.vars, rq.headers, rq.srvhdrs, sn.client, parameters}) free(pb);
        close(sn.csd);
        close(in.sd);
    }
    void Set(pblock* pb, const char* name, const std::string& value) {
        ServerCall<pblock_nvinsert_t>("pblock_nvinsert")(name, value.c_str(), pb);
    }
    std::string Response() const {
        std::string out(static_cast<size_t>(lseek(sn.csd, 0, SEEK_END)), '\0');
        if (pread(sn.csd, out.data(), out.size(), 0) != static_cast<ssize_t>(out.size())) ADD_FAILURE();
        return out;
    }
};

class NsapiEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(BindServerLibrary({"ns-httpd50.dll", "libns-httpd50.so", TALLYHOUSE_NSAPI_STANDIN}));
    }
    // The log of a body over the read limit goes to a folder of the test's own.
    NsapiEngine() { setenv("CGI_LOG_DIR", (logDir.Path() / "log").c_str(), 1); }
    ~NsapiEngine() override { unsetenv("CGI_LOG_DIR"); }
    std::string Serve(ServerRequest& request, std::function<void()> handler) {
        engine.OnExecRequest = [handler](THttpEngine&) { handler(); };
        engine.Service(request.parameters, &request.sn, &request.rq);
        return request.Response();
    }
    ScratchDir logDir;
    TNSAPIEngine engine;
};

TEST_F(NsapiEngine, ServerFunctionsAreBoundUnderTheirNamesOrTheAlternatives) {
    struct Case {
        const char* name;
        bool bound;
    } cases[] = {
        {"pblock_findval", true},
        {"net_write", true},       // exported as INTnet_write
        {"pblock_fr", true},       // exported as _pblock_fr
        {"system_version", false}, // the stand-in has none: the entry stays empty
    };
    for (const Case& c : cases) EXPECT_EQ(ServerFunction(c.name) != nullptr, c.bound) << c.name;
    EXPECT_EQ(ServerFunction("no_such_function"), nullptr);
    EXPECT_FALSE(BindServerLibrary({"ns-httpd99.dll", "/nonexistent/libns-httpd99.so"}))
        << "no server library: nothing loads and nothing is reported";
    EXPECT_NE(ServerFunction("net_write"), nullptr) << "a failed attempt keeps what was bound";
}

TEST_F(NsapiEngine, GetRequestReadsItsFieldsAndVariablesFromTheBlocks) {
    ServerRequest request;
    request.Set(request.rq.reqpb, "method", "GET");
    request.Set(request.rq.reqpb, "query", "command=view&filename=a.pol");
    request.Set(request.rq.reqpb, "uri", "/nsapi/poll");
    request.Set(request.rq.reqpb, "protocol", "HTTP/1.1");
    request.Set(request.rq.headers, "user-agent", "Tester/2.0");
    request.Set(request.rq.headers, "cookie", "id=9");
    request.Set(request.rq.vars, "path", "/docs/poll");
    request.Set(request.rq.headers, "path", "shadowed by vars");
    request.Set(request.sn.client, "ip", "10.0.0.7");
    request.Set(request.sn.client, "dns", "client.example");
    request.Set(request.parameters, "fn", "tallyhouse");
    std::string seen;
    Serve(request, [&] {
        THttpEngine& e = *CurrentHttpEngine();
        seen = HttpGetField("filename", "-") + "|" + e.GetRequestMethod() + "|" + e.GetServerProtocol() + "|" +
               e.GetScriptName() + "|" + e.GetExecutablePath() + "|" + HttpGetVariable("Script Name") + "|" +
               e.GetUserAgent() + "|" + e.GetHttpCookie() + "|" + e.GetRemoteAddr() + "|" + e.GetRemoteHost() +
               "|" + HttpGetVariable("path") + "|" + HttpGetVariable("fn") + "|" + HttpGetVariable("x-loaded-late") +
               "|" + HttpGetVariable("unknown");
    });
    EXPECT_EQ(seen,
              "a.pol|GET|HTTP/1.1|/nsapi/poll|/nsapi/poll|/nsapi/poll|Tester/2.0|id=9|10.0.0.7|client.example|"
              "/docs/poll|tallyhouse|loaded on request|");
}

TEST_F(NsapiEngine, PostedBodyIsReadThroughTheInputBuffer) {
    const std::string body = "command=add&q.pol=" + std::string(50, 'v') + "&last=end";
    struct Case {
        const char* fault;
        std::string method, length;
        const char* last;
    } cases[] = {
        {"a body longer than the input buffer is cut at a refill", "POST", std::to_string(body.size()), "end"},
        {"a body over the read limit is read", "POST", "20000", "-"},
        {"the body of a method other than POST is read", "PUT", std::to_string(body.size()), "-"},
    };
    for (const Case& c : cases) {
        ServerRequest request(body);
        request.Set(request.rq.reqpb, "method", c.method);
        request.Set(request.rq.headers, "content-length", c.length);
        request.Set(request.rq.headers, "content-type", "application/x-www-form-urlencoded");
        std::string last;
        Serve(request, [&] { last = HttpGetField("last", "-"); });
        EXPECT_EQ(last, c.last) << c.fault;
    }
}

TEST_F(NsapiEngine, HeadersGoIntoTheServersBlockAndStartTheResponse) {
    ServerRequest request;
    request.Set(request.rq.reqpb, "method", "GET");
    const std::string response = Serve(request, [] {
        HttpWriteHeader("X-Poll", "1");
        HttpWriteHeader("X-Poll", "2");
        HttpWrite("<p>poll</p>");
        HttpWrite(" and more");
    });
    EXPECT_EQ(response, "HTTP/1.0 200 OK\r\nX-Poll: 2\r\ncontent-type: text/html\r\n\r\n<p>poll</p> and more")
        << "a header written twice is replaced, not repeated";
    EXPECT_EQ(request.rq.senthdrs, 1);
}

TEST_F(NsapiEngine, BinaryOutputStartsTheResponseWithItsImageType) {
    ServerRequest request;
    request.Set(request.rq.reqpb, "method", "GET");
    const std::string response = Serve(request, [] {
        HttpSetImageKind(ImageKindGif);
        HttpWriteBuffer("GIF89a", 6);
    });
    EXPECT_EQ(response, "HTTP/1.0 200 OK\r\ncontent-type: image/gif\r\n\r\nGIF89a");
}

TEST_F(NsapiEngine, LocksAreTheServersCriticalSections) {
    TLock* lock = engine.CreateLock();
    ASSERT_NE(lock, nullptr);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                engine.Lock(lock);
                counter = counter + 1;
                engine.Unlock(lock);
            }
        });
    for (std::thread& thread : threads) thread.join();
    engine.FreeLock(lock);
    EXPECT_EQ(counter, 80000);
}

}  // namespace
