// The ISAPI engine in this process, called through its exported entry points by the test
// host: errors in the server's log field, the redirect, request variables, the body, filter
// notifications and the first request under parallel calls.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "engine/isapi/isapi_engine.h"
#include "engine/core/request_state.h"
#include "platform/os/exception.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/isapi_host.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace testsupport;

namespace {

// A log folder of the test's own while it lives.
struct LogScope {
    ScratchDir dir;
    LogScope() { setenv("CGI_LOG_DIR", (dir.Path() / "log").c_str(), 1); }
    ~LogScope() { unsetenv("CGI_LOG_DIR"); }
    std::string Log() const { return dir.Read("log/engine_tests.Log"); }
};

IsapiCall Get(const std::string& query) {
    IsapiCall call;
    call.query = query;
    return call;
}

IsapiAnswer Serve(TISAPIEngine& engine, std::function<void()> handler, const IsapiCall& call = IsapiCall()) {
    engine.OnExecRequest = [handler](THttpEngine&) { handler(); };
    return CallExtension(HttpExtensionProc, call);
}

// An engine whose request ends with an error that nothing inside the request catches.
class FailingEndEngine : public TISAPIEngine {
public:
    std::string message;
    void EndRequest() override {
        TISAPIEngine::EndRequest();
        throw Exception(message);
    }
};

TEST(IsapiEngine, EscapingErrorIsLoggedAndCopiedIntoTheServersLogField) {
    const LogScope log;
    FailingEndEngine engine;
    engine.OnExecRequest = [](THttpEngine&) { HttpWrite("<p>done</p>"); };
    const std::string longMessage(200, 'e');
    struct Case {
        const char* fault;
        std::string message, field;
    } cases[] = {
        {"a short message is cut or lost", "ten chars!", "ten chars!"},
        {"a long message overruns the 80-byte field", longMessage, longMessage.substr(0, 79)},
    };
    for (const Case& c : cases) {
        engine.message = c.message;
        const IsapiAnswer answer = CallExtension(HttpExtensionProc, IsapiCall());
        EXPECT_EQ(answer.status, HSE_STATUS_ERROR) << c.fault;
        EXPECT_EQ(answer.logData, c.field) << c.fault;
        EXPECT_NE(log.Log().find(" : " + c.message + "\r\n"), std::string::npos) << c.fault;
    }
    engine.OnExecRequest = [](THttpEngine&) {};
    TISAPIEngine next;
    next.OnExecRequest = [](THttpEngine&) { HttpWrite("<p>next</p>"); };
    EXPECT_EQ(CallExtension(HttpExtensionProc, IsapiCall()).status, HSE_STATUS_SUCCESS);
}

TEST(IsapiEngine, HandlerErrorIsAnsweredInsideTheRequest) {
    const LogScope log;
    TISAPIEngine engine;
    const IsapiAnswer answer = Serve(engine, [] { throw EConvertError("'x' ist kein g\xFCltiger Integerwert"); });
    EXPECT_EQ(answer.status, HSE_STATUS_SUCCESS) << "the engine's own request guard has handled it";
    EXPECT_EQ(answer.logData, "");
    EXPECT_NE(log.Log().find("Unhandled exception : 'x' ist kein"), std::string::npos);
}

TEST(IsapiEngine, LocationGoesThroughTheServersRedirectNotTheText) {
    TISAPIEngine engine;
    for (const char* name : {"Location", "LOCATION", "location"}) {
        const IsapiAnswer answer = Serve(engine, [name] { HttpWriteHeader(name, "http://polls/thanks.html"); });
        EXPECT_EQ(answer.redirect, "http://polls/thanks.html") << name;
        EXPECT_EQ(answer.output, "") << name << ": no header text may follow the server's own redirect answer";
    }
    const IsapiAnswer other = Serve(engine, [] {
        HttpWriteHeader("X-Poll", "1");
        HttpWrite("<p>x</p>");
    });
    EXPECT_EQ(other.redirect, "");
    EXPECT_EQ(other.output, "HTTP/1.1 200 OK\r\nX-Poll:1\r\ncontent-type:text/html\r\n\r\n<p>x</p>");
}

TEST(IsapiEngine, RequestVariablesComeFromTheControlBlockAndTheServer) {
    TISAPIEngine engine;
    IsapiCall call = Get("a=1");
    call.pathInfo = "/extra";
    call.pathTranslated = "C:\\web\\extra";
    call.variables["QUERY_STRING"] = "from the server";
    call.variables["SERVER_NAME"] = "polls.example";
    call.variables["HTTP_USER_AGENT"] = "Tester/1.0";
    call.variables["HTTP_HUGE"] = std::string(9000, 'h');
    struct Case {
        const char* name;
        std::string expected;
    } cases[] = {
        {"QUERY STRING", "a=1"},  // the control block's own field wins over the server variable
        {"PATH INFO", "/extra"},
        {"path_translated", "C:\\web\\extra"},
        {"SERVER NAME", "polls.example"},
        {"Http User Agent", "Tester/1.0"},
        {"EXECUTABLE PATH", "/scripts/tallyhouse.dll"},
        {"CONTENT_LENGTH", "0"},
        {"REMOTE USER", ""},  // unknown to the server
        {"HTTP HUGE", ""},    // longer than the variable buffer
    };
    for (const Case& c : cases) {
        const IsapiAnswer answer = Serve(engine, [&c] { HttpWrite("<" + HttpGetVariable(c.name)); }, call);
        EXPECT_EQ(answer.body, "<" + c.expected) << c.name;
    }
}

TEST(IsapiEngine, ExecutablePathOfAScriptFileIsItsFolderAndName) {
    TISAPIEngine engine;
    struct Case {
        const char* script;
        const char* expected;
    } cases[] = {
        {"C:\\inetpub\\scripts\\app.dll", "/scripts/app.dll"},
        {"C:\\web\\bin\\prog.dll", "/bin/prog.dll"},
        {"C:\\app.dll", "/app.dll"},
        {"/scripts/app.dll", "/scripts/app.dll"},  // already a URL path
    };
    for (const Case& c : cases) {
        IsapiCall call;
        call.variables["SCRIPT_NAME"] = c.script;
        const IsapiAnswer answer = Serve(engine, [] { HttpWrite("<" + HttpGetExecutablePath()); }, call);
        EXPECT_EQ(answer.body, std::string("<") + c.expected) << c.script;
    }
}

TEST(IsapiEngine, FormDataJoinsBodyAndQueryString) {
    TISAPIEngine engine;
    IsapiCall call = Get("b=query");
    call.method = "POST";
    call.body = "a=body";
    const IsapiAnswer answer = Serve(engine, [] {
        HttpWrite("<" + HttpGetField("a", "-") + "," + HttpGetField("b", "-") + "," +
                  std::to_string(CurrentHttpEngine()->GetContentLength()));
    }, call);
    EXPECT_EQ(answer.body, "<body,query,6");
}

TEST(IsapiEngine, MultipartBodyIsDecodedFromPreloadedAndStreamedBytes) {
    TISAPIEngine engine;
    const std::string boundary = "----poll42";
    IsapiCall call;
    call.method = "POST";
    call.contentType = "multipart/form-data; boundary=" + boundary;
    call.body = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"command\"\r\n\r\nadd\r\n--" + boundary +
                "\r\nContent-Disposition: form-data; name=\"q.pol\"\r\n\r\n" + std::string(500, 'v') + "\r\n--" +
                boundary + "--\r\n";
    call.preloaded = 60;
    call.readPiece = 100;
    const IsapiAnswer answer = Serve(engine, [] {
        HttpWrite("<" + HttpGetField("command", "-") + "," + std::to_string(HttpGetField("q.pol", "").size()));
    }, call);
    EXPECT_EQ(answer.body, "<add,500");
}

TEST(IsapiEngine, ReadClientHandsOutPreloadedBytesFirstAndStopsAtTheBodysEnd) {
    TISAPIEngine engine;
    engine.AutoReadInput = false;
    IsapiCall call;
    call.method = "POST";
    call.body = "0123456789abcdefghijklmnopqrst";
    call.preloaded = 10;
    call.readPiece = 7;
    std::string got;
    int count = 0;
    const IsapiAnswer answer = Serve(engine, [&] {
        char buffer[100];
        count = HttpReadClient(buffer, sizeof buffer);
        got.assign(buffer, static_cast<size_t>(std::max(count, 0)));
        count += HttpReadClient(buffer, sizeof buffer);
    }, call);
    EXPECT_EQ(got, call.body);
    EXPECT_EQ(count, 30) << "a read after the end of the body must not wait for the server";
    EXPECT_EQ(answer.readCalls, 3);
}

TEST(IsapiEngine, FirstRequestEventCompletesBeforeAnyRequestReachesTheApplication) {
    TISAPIEngine engine;
    std::atomic<int> firsts{0}, early{0};
    std::atomic<bool> ready{false};
    engine.OnFirstExecRequest = [&](THttpEngine&) {
        ++firsts;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ready = true;
    };
    engine.OnExecRequest = [&](THttpEngine&) {
        if (!ready) ++early;
        HttpWrite("<p/>");
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) threads.emplace_back([] { CallExtension(HttpExtensionProc, IsapiCall()); });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(firsts.load(), 1);
    EXPECT_EQ(early.load(), 0);
}

TEST(IsapiEngine, TerminateExtensionAsksToStayLoadedUnlessItsHandlerFails) {
    const LogScope log;
    TISAPIEngine engine;
    int last = 0;
    engine.OnLastExecRequest = [&](THttpEngine&) { ++last; };
    EXPECT_EQ(TerminateExtension(HSE_TERM_ADVISORY_UNLOAD), 0);
    EXPECT_EQ(last, 1);
    engine.OnLastExecRequest = [](THttpEngine&) { throw Exception("cannot finish"); };
    EXPECT_EQ(TerminateExtension(HSE_TERM_MUST_UNLOAD), 1);
    EXPECT_NE(log.Log().find(" : cannot finish\r\n"), std::string::npos);
}

TEST(IsapiEngine, RawRequestTextGivesFormDataAndCookie) {
    struct Case {
        const char* fault;
        const char* raw;
        const char* form;
        const char* cookie;
    } cases[] = {
        {"query of the request line lost", "GET /p.dll?command=view&filename=a.pol HTTP/1.1\r\nHost: x\r\n\r\n",
         "command=view&filename=a.pol", ""},
        {"url-encoded body not appended", "POST /p.dll?x=1 HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n  a=2&b=3  ",
         "x=1&a=2&b=3", ""},
        {"method compared with letter case", "post /p.dll HTTP/1.1\r\ncontent-type: application/x-www-form-urlencoded\r\n\r\na=2",
         "a=2", ""},
        {"a body that is not url-encoded taken as fields", "POST /p.dll HTTP/1.1\r\nContent-Type: text/plain\r\n\r\na=2", "", ""},
        {"a GET body taken as fields", "GET /p.dll HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\na=2", "", ""},
        {"cookie line missed", "GET / HTTP/1.0\r\nCookie: session=abc; lang=de\r\n\r\n", "", "session=abc; lang=de"},
        {"bare line feeds end lines too", "GET /?q=1 HTTP/1.0\nCOOKIE: k=v\n\n", "q=1", "k=v"},
    };
    for (const Case& c : cases) {
        const TRawRequestData data = ParseRawRequest(c.raw);
        EXPECT_EQ(data.FormData, c.form) << c.fault;
        EXPECT_EQ(data.Cookie, c.cookie) << c.fault;
    }
    EXPECT_EQ(ParseRawRequest("GET / HTTP/1.0\r\nCookie: " + std::string(5000, 'c') + "\r\n\r\n").Cookie.size(), 4096u)
        << "cookie text is limited";
}

struct FilterHost {
    HTTP_FILTER_CONTEXT context{};
    std::string written;
    std::map<std::string, std::string> variables;

    FilterHost() {
        context.cbSize = sizeof context;
        context.ServerContext = this;
        context.WriteClient = [](HTTP_FILTER_CONTEXT* pfc, void* buffer, DWORD* bytes, DWORD) -> BOOL {
            static_cast<FilterHost*>(pfc->ServerContext)->written.append(static_cast<char*>(buffer), *bytes);
            return 1;
        };
        context.GetServerVariable = [](HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size) -> BOOL {
            const auto& vars = static_cast<FilterHost*>(pfc->ServerContext)->variables;
            const auto found = vars.find(name);
            if (found == vars.end() || found->second.size() + 1 > *size) return 0;
            std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
            return 1;
        };
    }
};

TEST(IsapiEngine, FilterNotificationsReachTheHandlerWithTheRequestsFields) {
    TISAPIEngine engine;
    FilterHost host;
    host.variables["SERVER_NAME"] = "filter.example";
    std::string seen;
    engine.OnHttpFilterProc = [&](THTTP_FILTER_CONTEXT&, std::uint32_t type, void*, std::uint32_t& result) {
        seen += std::to_string(type) + ":" + HttpGetField("command", "-") + "," + HttpGetVariable("SERVER NAME") + "," +
                HttpGetVariable("HTTP COOKIE") + ";";
        if (type == SF_NOTIFY_SEND_RAW_DATA) {
            HttpWrite("text kept for the raw send");
            HttpWriteBuffer("bin", 3);
        }
        result = type == SF_NOTIFY_PREPROC_HEADERS ? SF_STATUS_REQ_HANDLED_NOTIFICATION : result;
    };
    std::string raw = "GET /p.dll?command=help HTTP/1.1\r\nCookie: id=7\r\n\r\n";
    HTTP_FILTER_RAW_DATA data{raw.data(), static_cast<DWORD>(raw.size()), static_cast<DWORD>(raw.size()), 0};
    EXPECT_EQ(HttpFilterProc(&host.context, SF_NOTIFY_READ_RAW_DATA, &data), SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_EQ(HttpFilterProc(&host.context, SF_NOTIFY_PREPROC_HEADERS, nullptr), SF_STATUS_REQ_HANDLED_NOTIFICATION);
    EXPECT_EQ(HttpFilterProc(&host.context, SF_NOTIFY_SEND_RAW_DATA, nullptr), SF_STATUS_REQ_NEXT_NOTIFICATION);
    EXPECT_EQ(seen, "32768:help,filter.example,;16384:help,filter.example,id=7;1024:help,filter.example,;");
    EXPECT_EQ(IsapiRequest().RawSendText, "text kept for the raw send");
    EXPECT_EQ(host.written, "bin") << "binary output goes to the client at once";
}

TEST(IsapiEngine, VersionEventsMayChangeTheAnswers) {
    const LogScope log;
    TISAPIEngine engine;
    engine.OnHttpExtensionVersion = [](std::uint32_t& version, std::string& description, bool&) {
        version = 0x00010000;
        description = std::string(300, 'd');
    };
    HSE_VERSION_INFO version{};
    EXPECT_EQ(GetExtensionVersion(&version), 1);
    EXPECT_EQ(version.dwExtensionVersion, 0x00010000u);
    EXPECT_EQ(std::strlen(version.lpszExtensionDesc), HSE_MAX_EXT_DLL_NAME_LEN - 1) << "description stays in its field";
    engine.OnHttpExtensionVersion = [](std::uint32_t&, std::string&, bool&) { throw Exception("not today"); };
    EXPECT_EQ(GetExtensionVersion(&version), 0) << "an error reaches the server as FALSE, not as an exception";

    engine.OnHttpFilterVersion = [](std::uint32_t&, std::uint32_t&, std::string& description, std::uint32_t& flags,
                                    bool&) {
        description = "poll filter";
        flags = SF_NOTIFY_READ_RAW_DATA;
    };
    HTTP_FILTER_VERSION filter{};
    EXPECT_EQ(GetFilterVersion(&filter), 1);
    EXPECT_STREQ(filter.lpszFilterDesc, "poll filter");
    EXPECT_EQ(filter.dwFlags, SF_NOTIFY_READ_RAW_DATA);
    engine.OnHttpFilterVersion = [](std::uint32_t&, std::uint32_t&, std::string&, std::uint32_t&, bool&) {
        throw Exception("no filter today");
    };
    EXPECT_EQ(GetFilterVersion(&filter), 0);
}

}  // namespace
