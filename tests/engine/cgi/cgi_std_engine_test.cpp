#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/cgi/cgi_std_engine.h"
#include "engine/core/request_state.h"
#include "tests/engine/cgi/cgi_child.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace fs = std::filesystem;
using testsupport::ReadFile;

namespace {

// Scratch folders for one end-to-end test: the log and the uploads.
struct ChildFolders {
    testsupport::ScratchDir dir;
    std::string Log() const { return (dir.Path() / "log").string(); }
    std::string Temp() const { return (dir.Path() / "temp").string(); }
    std::string LogText() const { return ReadFile(dir.Path() / "log" / "engine_tests.Log"); }
    ChildFolders() { fs::create_directories(dir.Path() / "temp"); }
};

// A standard CGI engine in this process, body from a file and output into one.
struct InProcess {
    testsupport::ScratchDir dir;
    THttpEngineProperties properties;
    std::string output;

    InProcess() { setenv("CGI_LOG_DIR", (dir.Path() / "log").c_str(), 1); }
    ~InProcess() { unsetenv("CGI_LOG_DIR"); }

    std::string Serve(const std::string& body, std::function<void()> handler) {
        dir.Write("in", body);
        properties.OnExecRequest = [handler](THttpEngine&) { handler(); };
        TCGIStdEngine engine(false, properties, false);
        TCGIStdRequestState& request = CgiStdRequest();
        request.InputStream = TFileStream::Open((dir.Path() / "in").string(), O_RDONLY);
        request.OutputStream = TFileStream::Open((dir.Path() / "out").string(), O_WRONLY | O_CREAT | O_TRUNC);
        engine.ProcessRequest();
        request.InputStream.reset();
        request.OutputStream.reset();
        return ReadFile(dir.Path() / "out");
    }
};

void SetVariables(const std::map<std::string, std::string>& values) {
    for (const char* name : {"CONTENT_LENGTH", "CONTENT_TYPE", "QUERY_STRING", "SERVER_SOFTWARE"}) unsetenv(name);
    for (const auto& [name, value] : values) setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace

TEST(CgiStdEngine, VariablesMapToTheEnvironment) {
    setenv("REMOTE_ADDR", "192.0.2.7", 1);
    setenv("SCRIPT_NAME", "/cgi-bin/x.cgi", 1);
    TCGIStdEngine engine(false, {}, false);
    EXPECT_EQ(engine.GetVariable("REMOTE ADDR"), "192.0.2.7");
    EXPECT_EQ(engine.GetVariable("remote addr"), "192.0.2.7");
    EXPECT_EQ(engine.GetExecutablePath(), "/cgi-bin/x.cgi");
    EXPECT_EQ(engine.GetVariable("NO SUCH THING"), "");
    setenv("SERVER_SOFTWARE", "ZB-Server", 1);
    EXPECT_EQ(engine.GetServerSoftware(), "") << "a server software naming ZB reads as empty";
    CgiStdRequest().EnvironmentList = std::vector<std::string>{"remote_addr=10.0.0.9", "EMPTY=", "A=b=c"};
    EXPECT_EQ(engine.GetRemoteAddr(), "10.0.0.9") << "request file environment wins";
    EXPECT_EQ(engine.GetVariable("A"), "b=c");
    EXPECT_EQ(engine.GetVariable("SCRIPT NAME"), "");
    CgiStdRequest().EnvironmentList.reset();
    unsetenv("SERVER_SOFTWARE");
}

TEST(CgiStdEngine, FormDataComesFromTheBodyOrTheQuery) {
    const struct {
        const char* fault;
        std::map<std::string, std::string> env;
        std::string body, expected;
    } cases[] = {
        {"GET uses the query", {{"QUERY_STRING", "q=2"}}, "", "2"},
        {"a body wins over the query", {{"QUERY_STRING", "q=2"}, {"CONTENT_LENGTH", "3"}}, "q=1", "1"},
        {"zero length uses the query", {{"QUERY_STRING", "q=2"}, {"CONTENT_LENGTH", "0"}}, "q=1", "2"},
        {"body ends at a zero byte", {{"CONTENT_LENGTH", "7"}}, std::string("q=1\0q=2", 7), "1"},
        {"short body drops the cut pair", {{"CONTENT_LENGTH", "40"}}, "q=1&q=22", "1"},
        {"body over the limit is not read", {{"CONTENT_LENGTH", "10001"}, {"QUERY_STRING", "q=2"}}, "q=1", "-"},
    };
    for (const auto& c : cases) {
        SetVariables(c.env);
        InProcess run;
        std::string seen;
        run.Serve(c.body, [&] { seen = HttpGetField("q", "-"); });
        EXPECT_EQ(seen, c.expected) << c.fault;
    }
    SetVariables({});
}

TEST(CgiStdEngine, FirstRequestEventFiresOncePerEngine) {
    SetVariables({{"QUERY_STRING", "a=1"}});
    int first = 0, each = 0, last = 0;
    THttpEngineProperties properties;
    properties.OnFirstExecRequest = [&](THttpEngine&) { ++first; };
    properties.OnExecRequest = [&](THttpEngine&) { ++each; };
    properties.OnLastExecRequest = [&](THttpEngine&) { ++last; };
    TCGIStdEngine engine(false, properties, false);
    CgiStdRequest().InputStream = TFileStream::StandardInput();
    CgiStdRequest().OutputStream.reset();
    engine.ProcessRequest();
    engine.ProcessRequest();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(each, 2);
    EXPECT_EQ(last, 2);
    CgiStdRequest().InputStream.reset();
    SetVariables({});
}

TEST(CgiStdEngineProcess, GetRequestAnswersAndExits) {
    ChildFolders f;
    auto request = testsupport::GetRequest("command=view&x=%3C1%3E");
    const auto result = RunChild(ChildRequest(request, "fields", f.Log()));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.header, "HTTP/1.1 200 OK\r\ncontent-type:text/html");
    EXPECT_EQ(result.body, "<pre>\ncommand=view\nx=<1>\n</pre>first=1 addr=127.0.0.1 path=/cgi-bin/tallyhouse.cgi "
                           "software=lighttpd/1.4.69");
}

TEST(CgiStdEngineProcess, ApacheGetsNoStatusLineAndBufferedOutputALength) {
    ChildFolders f;
    auto request = testsupport::GetRequest("a=1");
    request.env["SERVER_SOFTWARE"] = "Apache/2.4.57 (Debian)";
    const auto result = RunChild(ChildRequest(request, "buffered", f.Log()));
    EXPECT_EQ(result.exitCode, 0);
    const std::string body = "<pre>\na=1\n</pre>first=1 addr=127.0.0.1 path=/cgi-bin/tallyhouse.cgi "
                             "software=Apache/2.4.57 (Debian)";
    EXPECT_EQ(result.output, "content-type:text/html\r\ncontent-length:" + std::to_string(body.size()) + "\r\n\r\n" + body);
}

TEST(CgiStdEngineProcess, BadRequestsEndPromptlyThroughTheLog) {
    const struct {
        const char* fault;
        std::string contentLength, body, log, fields;
    } cases[] = {
        {"non-numeric length", "12abc", "a=1", "Unhandled exception : '12abc' ist kein g\xFCltiger Integerwert", ""},
        {"length over the limit", "10001", "a=1", "Content length exceeds AutoReadLimit", "<pre>\n</pre>"},
        {"body shorter than its length", "5000", "a=1&b=2&c=3", "", "<pre>\na=1\nb=2\n</pre>"},
    };
    for (const auto& c : cases) {
        ChildFolders f;
        auto request = testsupport::PostRequest(c.body);
        request.env["CONTENT_LENGTH"] = c.contentLength;
        const auto result = RunChild(ChildRequest(request, "fields", f.Log()));
        EXPECT_EQ(result.exitCode, 0) << c.fault;
        EXPECT_EQ(result.body.substr(0, c.fields.size()), c.fields) << c.fault;
        if (c.log.empty()) {
            EXPECT_EQ(f.LogText(), "") << c.fault;
        } else {
            EXPECT_NE(f.LogText().find(" : " + c.log + "\r\n"), std::string::npos) << c.fault << ": " << f.LogText();
        }
    }
}

TEST(CgiStdEngineProcess, HandlerExceptionLeavesAnEmptyResponseAndALogLine) {
    ChildFolders f;
    const auto result = RunChild(ChildRequest(testsupport::GetRequest(""), "throw", f.Log()));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_NE(f.LogText().find(",  "), std::string::npos);
    EXPECT_NE(f.LogText().find(" : Unhandled exception : handler failed\r\n"), std::string::npos);
}

TEST(CgiStdEngineProcess, UploadsAreStoredDuringTheRequestAndDeletedAfterIt) {
    const std::string b = "----x9";
    const std::string text = "--" + b + "\r\nContent-Disposition: form-data; name=\"command\"\r\n\r\nadd\r\n";
    const std::string file = "--" + b + "\r\nContent-Disposition: form-data; name=\"pic\"; filename=\"a.gif\"\r\n"
                             "Content-Type: image/gif\r\n\r\nGIF89a-bytes\r\n";
    const struct {
        const char* fault;
        std::string body, expectedStart;
    } cases[] = {
        {"complete upload", text + file + "--" + b + "--\r\n",
         "<pre>\ncommand=add\npic_CONTENT_TYPE= image/gif\npic=a.gif\npic_FILENAME="},
        {"cut off mid upload", text + file.substr(0, file.size() - 6), "<pre>\ncommand=add\n</pre>"},
        {"no boundary", "\r\n" + text, "<pre>\n</pre>"},
    };
    for (const auto& c : cases) {
        ChildFolders f;
        auto request = testsupport::PostRequest(c.body, "multipart/form-data; boundary=" + b);
        request.env["ENGINE_CHILD_TEMPDIR"] = f.Temp();
        const auto result = RunChild(ChildRequest(request, "fields", f.Log()));
        EXPECT_EQ(result.exitCode, 0) << c.fault;
        EXPECT_EQ(result.body.substr(0, c.expectedStart.size()), c.expectedStart) << c.fault << "\n" << result.body;
        EXPECT_TRUE(fs::is_empty(f.Temp())) << c.fault;
    }
    ChildFolders f;
    auto request = testsupport::PostRequest(text + file + "--" + b + "--\r\n", "multipart/form-data; boundary=" + b);
    request.env["ENGINE_CHILD_TEMPDIR"] = f.Temp();
    const auto result = RunChild(ChildRequest(request, "fields", f.Log()));
    EXPECT_NE(result.body.find(f.Temp() + "/"), std::string::npos);
    EXPECT_NE(result.body.find("a.tmp\nstored:yes:GIF89a-bytes\n"), std::string::npos) << result.body;
}

TEST(CgiStdEngineProcess, ClientGoneStillCleansUp) {
    const std::string b = "----x9";
    const std::string body = "--" + b + "\r\nContent-Disposition: form-data; name=\"pic\"; filename=\"a.gif\"\r\n\r\n" +
                             std::string(5000, 'g') + "\r\n--" + b + "--\r\n";
    ChildFolders f;
    auto request = testsupport::PostRequest(body, "multipart/form-data; boundary=" + b);
    request.env["ENGINE_CHILD_TEMPDIR"] = f.Temp();
    // Standard output leads into a pipe whose reader is already gone.
    request.inChild = [] {
        int ends[2];
        if (pipe(ends) != 0) _exit(125);
        dup2(ends[1], 1);
        close(ends[0]);
    };
    const auto result = RunChild(ChildRequest(request, "fields", f.Log()));
    EXPECT_EQ(result.exitCode, 0) << "not ended by SIGPIPE";
    EXPECT_TRUE(fs::is_empty(f.Temp()));
}
