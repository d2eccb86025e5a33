// The Windows CGI engine through the built program: request files written as a Windows CGI
// server writes them, the response read from the output file they name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/wincgi/cgi_ini_file.h"
#include "engine/wincgi/cgi_win_engine.h"
#include "platform/text/ascii_text.h"
#include "platform/os/exception.h"
#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace testsupport;

namespace {

CgiResult RunRequestFile(const ScratchDir& dir, const std::string& ini) {
    dir.Write("request.ini", ini);
    CgiRequest request;
    request.args = {(dir.Path() / "request.ini").string()};
    return RunProgram(dir.Program(), request);
}

std::string Request(const std::string& method, const std::string& query, const std::string& form) {
    return "[CGI]\r\nRequest Method=" + method + "\r\nQuery String=" + query +
           "\r\n[System]\r\nOutput File=out.txt\r\n[Form Literal]\r\n" + form;
}

// An engine over a request file parsed in this process, as the request's thread holds it.
class ParsedRequest {
public:
    explicit ParsedRequest(const std::string& ini, const std::string& requestFile = "/nowhere/request.ini") {
        CgiWinRequest().RequestFile = requestFile;
        engine.UseRequestFile(std::make_unique<TCGIIniFile>(TCGIIniFile::FromText(ini)));
    }
    ~ParsedRequest() {
        CgiWinRequest().Ini.reset();
        CgiWinRequest().RequestFile.clear();
    }
    ParsedRequest(const ParsedRequest&) = delete;
    ParsedRequest& operator=(const ParsedRequest&) = delete;

    TCGIWinEngine engine{THttpEngineProperties{}, false};
};

}  // namespace

TEST(CgiWinEngine, VariablesMapToKeysAndSectionsInTheirOrder) {
    ParsedRequest request(
        "[Accept]\r\nServer Name=from accept\r\nUser Agent=agent of accept\r\n"
        "[Extra Headers]\r\nServer Name=from headers\r\nCookie=a=1; b=2\r\n"
        "[System]\r\nServer Name=from system\r\nContent Length=12x\r\n"
        "[CGI]\r\nServer Name=from cgi\r\nExecutable Path=/cgi/tallyhouse.cgi\r\nRequest_Method=POST\r\n");
    struct Case {
        const char* name;
        const char* expected;
        const char* fault;
    } cases[] = {
        {"SERVER NAME", "from cgi", "CGI is looked at first although it comes last in the file"},
        {"server_name", "from cgi", "underscores and lower case map onto the key"},
        {"SCRIPT NAME", "/cgi/tallyhouse.cgi", "the script name is the executable path"},
        {"USER AGENT", "agent of accept", "ACCEPT is looked at last"},
        {"REQUEST METHOD", "", "a key written with an underscore is another key"},
        {"NO SUCH THING", "", "absent everywhere is empty"},
    };
    for (const Case& c : cases) EXPECT_EQ(request.engine.GetVariable(c.name), c.expected) << c.fault;
    EXPECT_EQ(request.engine.GetScriptName(), "/cgi/tallyhouse.cgi");
    EXPECT_EQ(request.engine.GetHttpCookie(), "a=1; b=2");
    EXPECT_EQ(request.engine.GetContentLength(), 0) << "a length that is not a number reads as 0";

    ParsedRequest bare("[CGI]\r\nContent Length=17\r\n");
    EXPECT_EQ(bare.engine.GetHttpCookie(), NotAvailable) << "no cookie header";
    EXPECT_EQ(bare.engine.GetContentLength(), 17);
}

TEST(CgiWinEngine, PostFieldsComeFromTheFormSectionsWithTheirContinuationKeys) {
    ScratchDir dir;
    dir.Write("long.txt", "a long answer, read from its file");
    ParsedRequest request(
        "[CGI]\r\nRequest Method=POST\r\nQuery String=q=from query\r\n"
        "[Form Literal]\r\nq=literal\r\nmulti=first\r\nmulti_1=second\r\nmixed=short\r\n"
        "Q_5=own field\r\n"
        "[Form External]\r\nmixed_1=long.txt 13\r\nq=ignored.txt 3\r\nlong=long.txt 33\r\n"
        "endless=/dev/zero 10001\r\n"
        "[Form File]\r\nupload=[c:\\tmp\\x.gif] 10 image/gif binary\r\n",
        (dir.Path() / "request.ini").string());
    struct Case {
        const char* name;
        const char* expected;
        const char* fault;
    } cases[] = {
        {"q", "literal", "the body's fields, not the query string; Form Literal comes first"},
        {" MULTI ", "first\r\nsecond", "a continuation key adds a value after CR LF"},
        {"mixed", "short\r\na long answer", "a continuation may sit in another form section"},
        {"long", "a long answer, read from its file", "Form External names a file and a length"},
        {"upload", "[c:\\tmp\\x.gif] 10 image/gif binary", "Form File gives its entry as it stands"},
        {"absent", "#default", "a missing field gives the default"},
    };
    for (const Case& c : cases) EXPECT_EQ(request.engine.GetField(c.name, "#default"), c.expected) << c.fault;
    EXPECT_THROW(request.engine.GetField("endless", ""), Exception) << "a value past AutoReadLimit is read";
    EXPECT_EQ(request.engine.GetFieldNames(),
              (std::vector<std::string>{"mixed", "multi", "q", "Q_5", "endless", "long", "q", "upload"}))
        << "section order, sorted keys as written; left out are exactly the continuations that GetField reads";
}

TEST(CgiWinEngine, FieldValuesComeOneByOneWhateverLineBreaksTheyHold) {
    ScratchDir dir;
    dir.Write("two.txt", "b\r\n01/01/99,6.6.6.6,c");
    ParsedRequest request(
        "[CGI]\r\nRequest Method=POST\r\n[Form Literal]\r\nmulti=a\r\n[Form External]\r\nmulti_1=two.txt 21\r\n",
        (dir.Path() / "request.ini").string());
    EXPECT_EQ(request.engine.GetFieldValues("multi"), (std::vector<std::string>{"a", "b\r\n01/01/99,6.6.6.6,c"}));
    EXPECT_EQ(request.engine.GetFieldValues("absent"), std::vector<std::string>{});
}

TEST(CgiWinEngine, APostedFormLiteralGivesItsNameAsWritten) {
    ParsedRequest request("[CGI]\r\nRequest Method=POST\r\n[Form Literal]\r\nquestion1.pol=yes\r\n Q2.POL = no\r\n");
    EXPECT_EQ(request.engine.GetFieldNames(), (std::vector<std::string>{"Q2.POL", "question1.pol"}));
    EXPECT_EQ(request.engine.GetField("QUESTION1.POL", ""), "yes") << "fields still match without regard to case";
}

TEST(CgiWinEngine, GetFieldsComeFromTheQueryString) {
    ParsedRequest request("[CGI]\r\nRequest Method=GET\r\nQuery String=a=1&b=%41+B&a=2\r\n"
                          "[Form Literal]\r\nb=from the form\r\n");
    EXPECT_EQ(request.engine.GetField("b", ""), "A B");
    EXPECT_EQ(request.engine.GetField("A", ""), "1\r\n2");
    EXPECT_EQ(request.engine.GetFieldNames(), (std::vector<std::string>{"a", "b", "a"}));
}

TEST(CgiWinEngine, AnyMethodButGetListsTheFieldsItReadsFromTheFormSections) {
    ParsedRequest request("[CGI]\r\nRequest Method=PUT\r\nQuery String=a=1\r\n[Form Literal]\r\nb=2\r\n");
    EXPECT_EQ(request.engine.GetFieldNames(), std::vector<std::string>{"b"});
    EXPECT_EQ(request.engine.GetField("b", ""), "2");
    EXPECT_EQ(request.engine.GetField("a", "absent"), "absent");
}

TEST(CgiIniFile, LinesSectionsAndKeys) {
    const TCGIIniFile ini = TCGIIniFile::FromText(
        "ignored=before any section\r\n  [ cgi ] \r\nRequest Method = POST \r\n=empty key\n[System]\rOutput File=a\r\n"
        "[CGI]\r\nrequest method=GET\r\n" + std::string(5000, 'x') + "=long\r\n");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"CGI", "SYSTEM"})) << "a section seen before continues";
    EXPECT_EQ(ini.ReadString("Cgi", "REQUEST METHOD", "?"), "GET") << "a repeated key replaces its value";
    EXPECT_EQ(ini.ReadString("system", "output file", "?"), "a") << "lone CR and LF end lines too";
    EXPECT_EQ(ini.ReadString("CGI", "", "?"), "?") << "an empty key is ignored";
    EXPECT_EQ(ini.LongLines(), 1) << "an over-long line is dropped whole";
    std::string many;
    for (int i = 0; i < 60; ++i) many += "[S" + std::to_string(i) + "]\r\nk=v\r\n";
    const TCGIIniFile limited = TCGIIniFile::FromText(many);
    EXPECT_EQ(limited.Sections().size(), 51u);
    EXPECT_EQ(limited.ExtraSections(), 9);
}

// Each poll file of the folder with its lines from the first comma on (the time stamps differ).
static std::map<std::string, std::string> PollFiles(const ScratchDir& dir) {
    std::map<std::string, std::string> polls;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (UpperCase(entry.path().extension().string()) != ".POL") continue;
        std::string lines;
        std::istringstream text(dir.Read(name));
        for (std::string line; std::getline(text, line);) lines += line.substr(line.find(',')) + "\n";
        polls[name] = lines;
    }
    return polls;
}

TEST(CgiWinEngine, APostedFormRecordsWhatTheSameFormRecordsThroughStandardCgi) {
    ScratchDir standard;
    RunProgram(standard.Program(), PostRequest("command=add&question1.pol=yes&Q2.POL=no&Mixed.pol=a+b&backurl=/x/"));
    ScratchDir windows;
    const CgiResult result = RunRequestFile(
        windows, "[CGI]\r\nRequest Method=POST\r\nRemote Address=127.0.0.1\r\n[System]\r\nOutput File=out.txt\r\n"
                 "[Form Literal]\r\ncommand=add\r\nquestion1.pol=yes\r\nQ2.POL=no\r\nMixed.pol=a b\r\nbackurl=/x/\r\n");
    EXPECT_EQ(result.output, "") << "the response goes to the output file";
    EXPECT_NE(windows.Read("out.txt").find("URL=/x/"), std::string::npos) << windows.Read("out.txt");
    const auto polls = PollFiles(windows);
    EXPECT_EQ(polls, PollFiles(standard));
    EXPECT_EQ(polls.count("question1.pol"), 1u) << "a posted vote is dropped while the page reports success";
    EXPECT_EQ(polls.count("Q2.POL"), 0u) << "a name that really ends in .POL is no poll file";
}

TEST(CgiWinEngine, GetReadsTheQueryStringAndRecords) {
    ScratchDir dir;
    const CgiResult result = RunRequestFile(dir, Request("GET", "command=add&question1.pol=yes&backurl=/x/", ""));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(dir.Exists("question1.pol"));
    EXPECT_NE(dir.Read("out.txt").find("/x/"), std::string::npos) << dir.Read("out.txt");
}

TEST(CgiWinEngine, HelpPageGoesToTheOutputFileWithoutStatusLine) {
    ScratchDir dir;
    RunRequestFile(dir, Request("GET", "", ""));
    const std::string out = dir.Read("out.txt");
    EXPECT_EQ(out.rfind("content-type:text/html\r\n\r\n", 0), 0u) << out.substr(0, 80);
    EXPECT_NE(out.find("Version"), std::string::npos);
}

TEST(CgiWinEngine, ContinuationKeysJoinWithCrLf) {
    ScratchDir dir;
    RunRequestFile(dir, Request("POST", "", "command=view\r\nfilename=first\r\nfilename_1=second\r\n"));
    EXPECT_NE(dir.Read("out.txt").find("first\r\nsecond"), std::string::npos) << dir.Read("out.txt");
}

TEST(CgiWinEngine, TwentyThousandContinuationKeysJoinIntoOneValue) {
    ScratchDir dir;
    std::string form = "command=view\r\nfilename=v0\r\n", value = "v0";
    for (int i = 1; i <= 20000; ++i) {
        form += "filename_" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
        value += "\r\nv" + std::to_string(i);
    }
    EXPECT_EQ(RunRequestFile(dir, Request("POST", "", form)).exitCode, 0) << "sorting the keys out takes minutes";
    EXPECT_NE(dir.Read("out.txt").find("Pollfile \"" + value + "\"not found"), std::string::npos)
        << "the values are not joined in order";
}

TEST(CgiWinEngine, BadRequestFilesGiveNoOutputAndALogLine) {
    ScratchDir dir;
    EXPECT_EQ(RunRequestFile(dir, "[CGI]\r\nRequest Method=GET\r\n").exitCode, 0) << "no output file named";
    EXPECT_EQ(RunRequestFile(dir, "[CGI]\r\nRequest Method=POST\r\n[System]\r\nOutput File=o.txt\r\n"
                                  "[Form External]\r\ncommand=missing.txt 3\r\n").exitCode, 0);
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("missing.txt"), std::string::npos);
    dir.Write("short.txt", "ad");
    RunRequestFile(dir, "[CGI]\r\nRequest Method=POST\r\n[System]\r\nOutput File=o.txt\r\n"
                        "[Form External]\r\ncommand=short.txt 3\r\n");
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("holds fewer than 3 bytes"), std::string::npos);
}

TEST(CgiWinEngine, RequestFilesBeyondTheReaderOrTheFileSystemEndCleanlyWithALogLine) {
    std::string manySections;
    for (int i = 0; i < 52; ++i) manySections += "[Extra" + std::to_string(i) + "]\r\nk=v\r\n";
    struct Case {
        const char* fault;
        std::string ini;
        bool output;
        const char* logged;
    } cases[] = {
        {"a line longer than 4096 bytes overflows or cuts a value",
         Request("GET", "command=add&long.pol=kept&backurl=/b/", std::string(5000, 'x') + "=y\r\n"), true,
         "longer than 4096 bytes"},
        {"sections past 51 are read", manySections + "[System]\r\nOutput File=out.txt\r\n", false, "beyond 51"},
        {"an output file that cannot be made hides the failure",
         "[CGI]\r\nRequest Method=GET\r\n[System]\r\nOutput File=no/such/folder/out.txt\r\n", false,
         "Unhandled exception : "},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        const CgiResult result = RunRequestFile(dir, c.ini);
        EXPECT_EQ(result.exitCode, 0) << c.fault;
        EXPECT_EQ(dir.Exists("out.txt"), c.output) << c.fault;
        EXPECT_NE(dir.Read("Log/tallyhouse.Log").find(c.logged), std::string::npos) << c.fault;
    }
    ScratchDir dir;
    RunRequestFile(dir, Request("GET", "command=add&long.pol=kept&backurl=/b/", std::string(5000, 'x') + "\r\n"));
    EXPECT_TRUE(dir.Exists("long.pol")) << "the lines around an over-long one are still read";

    CgiRequest missing;
    missing.args = {(dir.Path() / "no-such-request.ini").string()};
    EXPECT_EQ(RunProgram(dir.Program(), missing).exitCode, 0);
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("Can not read request file"), std::string::npos);
}

// A FIFO or a device named by a request would hang it (the open waits for the other end, a read
// never ends); each is refused with a log line instead. The runner's timeout is the safety net.
TEST(CgiWinEngine, FifosAndDevicesAreRefusedWithoutWaiting) {
    const std::string post = "[CGI]\r\nRequest Method=POST\r\n[System]\r\nOutput File=";
    struct Case {
        const char* fault;
        std::string requestFile;  // empty: request.ini holding Ini
        std::string ini;
    } cases[] = {
        {"a request file that is a FIFO", "fifo", ""},
        {"a request file of /dev/zero is read for ever", "/dev/zero", ""},
        {"an output file that is a FIFO", "", post + "fifo\r\n"},
        {"a Content File that is a FIFO",
         "", "[CGI]\r\nRequest Method=POST\r\nContent Type=multipart/form-data; boundary=X\r\nContent Length=10\r\n"
             "[System]\r\nOutput File=out.txt\r\nContent File=fifo\r\n"},
        {"a Form External file that is a FIFO", "", post + "out.txt\r\n[Form External]\r\ncommand=fifo 3\r\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        ASSERT_EQ(mkfifo((dir.Path() / "fifo").c_str(), 0600), 0);
        dir.Write("request.ini", c.ini);
        CgiRequest request;
        const std::string file = c.requestFile.empty() ? "request.ini" : c.requestFile;
        request.args = {file[0] == '/' ? file : (dir.Path() / file).string()};
        EXPECT_EQ(RunProgram(dir.Program(), request).exitCode, 0) << c.fault << " hangs the request";
        EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("not a regular file"), std::string::npos) << c.fault;
    }
}

// The reader keeps only the line in hand: a line of 256 MiB (a hole in a sparse file, read as
// zero bytes) is dropped without being held, and the lines after it are read.
TEST(CgiWinEngine, AHugeLineIsSkippedWhileReadingNotHeldWhole) {
    ScratchDir dir;
    {
        std::ofstream file(dir.Path() / "request.ini", std::ios::binary);
        file << "[CGI]\r\nRequest Method=GET\r\njunk=";
        file.seekp(256 << 20, std::ios::cur);
        file << "\r\nQuery String=command=add&after.pol=read\r\n[System]\r\nOutput File=out.txt\r\n";
    }
    CgiRequest request;
    request.args = {(dir.Path() / "request.ini").string()};
    const CgiResult result = RunProgram(dir.Program(), request);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(dir.Exists("after.pol")) << "the lines after the long one are lost";
    EXPECT_NE(dir.Read("Log/tallyhouse.Log").find("longer than 4096 bytes"), std::string::npos);
    EXPECT_LT(result.maxResidentKb, 128 << 10) << "the long line was held in memory";
}

TEST(CgiWinEngine, AMultipartBodyInTheContentFileGivesTheFields) {
    ScratchDir dir;
    const std::string body =
        "--XyZ\r\nContent-Disposition: form-data; name=\"command\"\r\n\r\nadd\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"upload.pol\"\r\n\r\nfrom the body\r\n"
        "--XyZ\r\nContent-Disposition: form-data; name=\"backurl\"\r\n\r\n/multi/\r\n--XyZ--\r\n";
    dir.Write("content.bin", body);
    RunRequestFile(dir, "[CGI]\r\nRequest Method=POST\r\nContent Type=multipart/form-data; boundary=XyZ\r\n"
                        "Content Length=" + std::to_string(body.size()) +
                        "\r\n[System]\r\nOutput File=out.txt\r\nContent File=content.bin\r\n"
                        "[Form Literal]\r\ncommand=ignored\r\n");
    EXPECT_NE(dir.Read("upload.pol").find("from the body"), std::string::npos);
    EXPECT_NE(dir.Read("out.txt").find("/multi/"), std::string::npos) << dir.Read("out.txt");
}

TEST(CgiWinEngine, AViewWritesTheSameGifToTheOutputFileAsStandardCgiSends) {
    ScratchDir dir;
    const std::string query = "command=view&filename=testdeutsch&width=200&height=150&3D=1";
    RunRequestFile(dir, Request("GET", query, ""));
    const std::string out = dir.Read("out.txt");
    CgiResult standard = RunProgram(dir.Program(), GetRequest(query));
    SplitResponse(standard);
    // The same chart of the same program: the same tag, and no status line of its own.
    const std::string tag = standard.header.substr(standard.header.find("ETag:"));
    const std::string header = tag + "\r\n\r\n";
    ASSERT_EQ(out.rfind(header, 0), 0u) << out.substr(0, 80);
    EXPECT_EQ(tag.rfind("ETag:\"", 0), 0u) << standard.header;
    const std::string gif = out.substr(header.size());
    ASSERT_GT(gif.size(), 1024u) << "the picture spans several output pieces";
    const DecodedGif decoded = DecodeGif(gif);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(decoded.width, 200);
    EXPECT_EQ(decoded.height, 150);

    EXPECT_TRUE(standard.body == gif) << "the pieces of the output file lose or reorder bytes";
}

TEST(CgiWinEngine, ARevalidatedChartIsAnswered304WithAStatusHeader) {
    ScratchDir dir;
    RunRequestFile(dir, Request("GET", "command=view", ""));
    const std::string first = dir.Read("out.txt");
    const std::string tag = first.substr(5, first.find("\r\n") - 5);
    ASSERT_EQ(first.rfind("ETag:\"", 0), 0u) << first.substr(0, 60);
    RunRequestFile(dir, Request("GET", "command=view", "") + "[Extra Headers]\r\nIf-None-Match=" + tag + "\r\n");
    EXPECT_EQ(dir.Read("out.txt"), "Status:304 Not Modified\r\nETag:" + tag + "\r\n\r\n");
}
