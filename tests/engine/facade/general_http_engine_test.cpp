// The engine facade: its settings, forwarding to the current engine, and the start-up
// decision, row by row (the rows a CGI program meets are run through the built program).
#include <fcntl.h>
#include <unistd.h>


#include <gtest/gtest.h>

#include "engine/resident/cgi_server_mode.h"
#include "engine/cgi/cgi_std_engine.h"
#include "engine/facade/general_http_engine.h"
#include "engine/resident/request_file.h"
#include "engine/core/request_state.h"
#include "platform/os/exception.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

using namespace testsupport;

// An engine that answers from fixed values and raises where asked to.
class FixedEngine : public THttpEngine {
public:
    std::vector<std::string> asked;
    void ExecRequest() override {}
    std::string GetVariable(const std::string& Name) override {
        asked.push_back(Name);
        return Name == "QUERY STRING" ? NotAvailable : "value of " + Name;
    }
    std::string GetField(const std::string&, const std::string& Default) override { return Default; }
    std::vector<std::string> GetFieldNames() override { return {}; }
    bool IsActive() override { return true; }
    int GetContentLength() override { throw EConvertError("'x' ist kein g\xFCltiger Integerwert"); }
    std::string GetExecutablePath() override { return "/cgi-bin/fixed"; }

protected:
    void SendToClient(const char*, size_t) override {}
};

struct CurrentEngineScope {
    explicit CurrentEngineScope(THttpEngine& engine) { engine.MakeCurrent(); }
    ~CurrentEngineScope() { RequestState().CurrentEngine = nullptr; }
};

TEST(GeneralHttpEngine, CreateSetsItsOwnValuesNotTheDeclaredDefaults) {
    const TGeneralHttpEngine http;
    EXPECT_TRUE(http.AutoHttpHeader());
    EXPECT_EQ(http.AutoContentType(), "text/html");
    EXPECT_TRUE(http.AutoReadInput());
    EXPECT_EQ(http.AutoReadLimit(), 10000) << "a form that stores nothing for it gets 10000";
    EXPECT_FALSE(http.BufferedOutput());
    EXPECT_EQ(http.TempDir(), "");
    EXPECT_EQ(http.CGIMode(), NormalMode);
    EXPECT_TRUE(http.CgiAutoTerminate());
    EXPECT_EQ(http.SessionName(), "DefaultSession");
    EXPECT_FALSE(http.NoCache());
}

TEST(GeneralHttpEngine, SettersReachTheCurrentEngineAtOnceButModeSettingsStayInTheFacade) {
    FixedEngine engine;
    CurrentEngineScope current(engine);
    TGeneralHttpEngine http;
    http.SetAutoContentType("text/plain");
    http.SetAutoHttpHeader(false);
    http.SetAutoReadInput(false);
    http.SetAutoReadLimit(5);
    http.SetBufferedOutput(true);
    http.SetTempDir("/tmp/up");
    http.SetSessionName("S");
    http.SetNoCache(true);
    int fired = 0;
    http.SetOnExecRequest([&](THttpEngine&) { ++fired; });
    http.SetCGIMode(ServerThreadMode);
    EXPECT_EQ(engine.AutoContentType, "text/plain");
    EXPECT_FALSE(engine.AutoHttpHeader);
    EXPECT_FALSE(engine.AutoReadInput);
    EXPECT_EQ(engine.AutoReadLimit, 5);
    EXPECT_TRUE(engine.BufferedOutput);
    EXPECT_EQ(engine.TempDir, "/tmp/up");
    EXPECT_EQ(engine.SessionName, "S");
    EXPECT_TRUE(engine.NoCache);
    ASSERT_TRUE(engine.OnExecRequest);
    engine.OnExecRequest(engine);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(engine.CGIMode, NormalMode) << "the mode matters only when engines are created";
}

TEST(GeneralHttpEngine, ForwardsToTheCurrentEngine) {
    FixedEngine engine;
    CurrentEngineScope current(engine);
    TGeneralHttpEngine http;
    EXPECT_EQ(http.GetExecutablePath(), "/cgi-bin/fixed");
    EXPECT_EQ(http.GetQueryString(), "") << "the missing-value marker reaches the application";
    EXPECT_EQ(http.GetContentLength(), 0) << "an engine's conversion error escapes the facade";
    EXPECT_EQ(http.GetRemoteUser(), "value of Remote User");
    EXPECT_EQ(http.GetServerName(), "value of SERVER NAME");
    EXPECT_EQ(http.GetField("x", "dflt"), "dflt");
}

TEST(GeneralHttpEngine, ForwardsNothingWithoutACurrentEngine) {
    TGeneralHttpEngine http;
    EXPECT_EQ(http.GetServerName(), "");
    EXPECT_EQ(http.GetContentLength(), 0);
    http.Write("dropped");
}

TEST(GeneralHttpEngine, AContentTypeSetInsideTheHandlerShapesThatRequestsHeader) {
    ScratchDir dir;
    TGeneralHttpEngine http;
    http.SetCgiAutoTerminate(false);
    http.SetOnExecRequest([&](THttpEngine&) { http.SetAutoContentType("text/plain"); });
    TCGIStdEngine engine(false, http.Properties(), false);
    TCGIStdRequestState& request = CgiStdRequest();
    request.EnvironmentList = std::vector<std::string>{"REQUEST_METHOD=GET", "SERVER_SOFTWARE=lighttpd"};
    request.OutputStream = TFileStream::Open((dir.Path() / "out").string(), O_WRONLY | O_CREAT | O_TRUNC);
    engine.ProcessRequest();
    request.OutputStream.reset();
    request.EnvironmentList.reset();
    RequestState().CurrentEngine = nullptr;
    EXPECT_NE(dir.Read("out").find("content-type:text/plain\r\n\r\n"), std::string::npos) << dir.Read("out");
}

TEST(GeneralHttpEngine, AHandedOverRequestSeesTheDebugMarkItsVariablesAndItsBody) {
    ScratchDir dir;
    const std::string file = (dir.Path() / "app_C_0001_REQ").string();
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT, 0600);
    int body[2];
    ASSERT_EQ(pipe(body), 0);
    ASSERT_EQ(write(body[1], "a=1&b=2", 7), 7);
    close(body[1]);
    WriteRequestFile(fd, {"QUERY_STRING=x=1", "CONTENT_LENGTH=7", "SERVER_SOFTWARE=lighttpd"}, body[0], 7);
    close(fd);
    close(body[0]);

    TCGIStdEngine engine(false, THttpEngineProperties(), false);
    CgiStdRequest().RequestFile = file;
    CgiServer::OpenRequestFiles(file);
    EXPECT_EQ(engine.GetVariable("SERVAL CGI DEBUG"), "true");
    EXPECT_EQ(engine.GetVariable("QUERY STRING"), "x=1");
    char read[16] = {};
    EXPECT_EQ(engine.ReadClient(read, 7), 7);
    EXPECT_EQ(std::string(read), "a=1&b=2");
    CgiStdRequest().InputStream.reset();
    CgiStdRequest().OutputStream.reset();
    CgiServer::MarkRequestDone();
    EXPECT_FALSE(CgiStdRequest().EnvironmentList);
    EXPECT_FALSE(dir.Exists("app_C_0001_REQ"));
}

TEST(StartUpDecision, CreatesTheEnginesEachKindOfStartNeeds) {
    struct Row {
        const char* start;
        TStartKind kind;
        bool library, standard, noServer, windowsAlways, windowsIfNoneCurrent, fastCgi = false;
    } rows[] = {
        {"loaded as a library", {true, "Microsoft-IIS/5.0", "", false}, true, false, false, false, false},
        {"standard CGI", {false, "lighttpd/1.4", "CGI/1.1", false}, false, true, false, false, true},
        {"Windows CGI by its version", {false, "Website/1.1", "CGI/1.3a (Win)", false}, false, false, false, false, true},
        {"Windows CGI by its data file", {false, "", "", true}, false, false, false, false, true},
        {"no server and no parameters", {false, "", "", false}, false, true, true, true, false},
        {"FastCGI socket or --fastcgi", {false, "", "", true, true}, false, false, false, false, false, true},
        {"FastCGI with a server's variables", {false, "lighttpd/1.4", "CGI/1.1", false, true}, false, false, false, false, false, true},
        {"a library never serves FastCGI", {true, "", "", false, true}, true, false, false, false, false},
    };
    for (const Row& row : rows) {
        const TEngineChoice choice = ChooseEngines(row.kind);
        EXPECT_EQ(choice.LibraryEngines, row.library) << row.start;
        EXPECT_EQ(choice.StandardCgi, row.standard) << row.start;
        EXPECT_EQ(choice.NoServer, row.noServer) << row.start;
        EXPECT_EQ(choice.WindowsCgi, row.windowsAlways) << row.start;
        EXPECT_EQ(choice.WindowsCgiIfNoneCurrent, row.windowsIfNoneCurrent) << row.start;
        EXPECT_EQ(choice.FastCgi, row.fastCgi) << row.start;
    }
}

}  // namespace
