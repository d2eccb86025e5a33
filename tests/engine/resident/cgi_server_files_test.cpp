// The server record layout, the request file layout and the names of the server's files.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "engine/core/random_number.h"
#include "engine/resident/cgi_server_files.h"
#include "platform/os/file_descriptor.h"
#include "platform/text/ascii_text.h"
#include "engine/resident/request_file.h"
#include "engine/resident/server_record.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;

namespace {

std::string Program(const testsupport::ScratchDir& dir) { return dir.Program(); }

TEST(ServerRecord, LaysOutStateTimeStampAndNameAtTheirOffsets) {
    TServerRecord record;
    record.State = srsTaken;
    record.TimeStamp = 45000.5;
    record.RequestName = "/SRV/TEMP/TALLYHOUSE.CGI_C_00AF_REQ";
    const std::string bytes = record.Encode();
    ASSERT_EQ(bytes.size(), 268u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes.substr(1, 3), std::string(3, '\0'));
    double stamp = 0;
    std::memcpy(&stamp, bytes.data() + 4, 8);  // the build machine is little-endian
    EXPECT_EQ(stamp, 45000.5);
    EXPECT_EQ(std::string(bytes.data() + 12), record.RequestName);
    EXPECT_EQ(bytes[12 + record.RequestName.size()], '\0');

    const TServerRecord back = TServerRecord::Decode(bytes.data());
    EXPECT_EQ(back.State, srsTaken);
    EXPECT_EQ(back.TimeStamp, 45000.5);
    EXPECT_EQ(back.RequestName, record.RequestName);
}

TEST(ServerRecord, KeepsTheNameZeroTerminatedWhenItIsTooLong) {
    TServerRecord record;
    record.RequestName = std::string(300, 'A');
    const std::string bytes = record.Encode();
    EXPECT_EQ(bytes.size(), 268u);
    EXPECT_EQ(bytes[267], '\0');
    EXPECT_EQ(TServerRecord::Decode(bytes.data()).RequestName.size(), 255u);
}

TEST(ServerRecord, ListIgnoresATornTailAndNowIsADayCountOfThisCentury) {
    TServerRecord a, b;
    a.RequestName = "A_REQ";
    b.RequestName = "B_REQ";
    const std::string bytes = EncodeServerList({a, b}) + std::string(100, 'x');
    const auto records = DecodeServerList(bytes);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].RequestName, "B_REQ");
    // 1 January 2020 is day 43831, 1 January 2100 day 73051.
    EXPECT_GT(LocalDateTimeNow(), 43831);
    EXPECT_LT(LocalDateTimeNow(), 73051);
}

TEST(ServerFiles, NamesEveryFileAfterTheProgramInsideTemp) {
    testsupport::ScratchDir dir;
    const TServerFiles files(Program(dir));
    const std::string temp = (dir.Path() / "Temp").string();
    EXPECT_TRUE(std::filesystem::is_directory(temp));
    EXPECT_EQ(files.TempPrefix(), temp + "/tallyhouse.cgi");
    EXPECT_EQ(files.ServerListPath(), temp + "/tallyhouse.cgi_S");
    EXPECT_EQ(files.RequestFilePath("0A1F"), temp + "/tallyhouse.cgi_C_0A1F_REQ");
    EXPECT_EQ(TServerFiles::OutputFilePath(temp + "/tallyhouse.cgi_C_0A1F_REQ"), temp + "/tallyhouse.cgi_C_0A1F_OUT");
    // The record holds the name upper-cased; the file on disk keeps the folder's own case.
    EXPECT_EQ(files.ResolveRequestName(UpperCase(temp + "/tallyhouse.cgi_C_0A1F_REQ")),
              temp + "/tallyhouse.cgi_C_0A1F_REQ");
    EXPECT_TRUE(IsRequestName("X_C_0001_req"));
    EXPECT_FALSE(IsRequestName("STOP"));
}

TEST(ServerFiles, TellsWhenRequestNamesWouldNotFitARecord) {
    testsupport::ScratchDir dir;
    EXPECT_TRUE(TServerFiles(Program(dir)).NamesFitRecords());
    const std::filesystem::path deep = dir.Path() / std::string(200, 'd');
    std::filesystem::create_directories(deep);
    EXPECT_FALSE(TServerFiles((deep / "tallyhouse.cgi").string()).NamesFitRecords());
}

TEST(ServerFiles, FallsBackToTheProgramFolderWhenTempCannotBeMade) {
    testsupport::ScratchDir dir;
    dir.Write("Temp", "a file where the folder should be");
    const TServerFiles files(Program(dir));
    EXPECT_EQ(files.TempFolder(), dir.Path().string());
}

TEST(ServerFiles, RequestIdsAreFourHexDigitsAndRequestFilesNeverShareOne) {
    for (int i = 0; i < 200; ++i) {
        const std::string id = NewRequestId();
        ASSERT_EQ(id.size(), 4u);
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
    }
    testsupport::ScratchDir dir;
    const TServerFiles files(Program(dir));
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i) {
        TFileDescriptor fd;
        names.insert(CreateRequestFile(files, fd));
    }
    EXPECT_EQ(names.size(), 300u);
}

TEST(ServerFiles, DeletesOnlyTheProgramsRequestFiles) {
    testsupport::ScratchDir dir;
    const TServerFiles files(Program(dir));
    dir.Write("Temp/tallyhouse.cgi_C_0001_REQ", "");
    dir.Write("Temp/TALLYHOUSE.CGI_C_0002_OUT", "");
    dir.Write("Temp/tallyhouse.cgi_S", "");
    dir.Write("Temp/other.cgi_C_0003_REQ", "");
    files.DeleteFilesStartingWith("_C_", true);
    EXPECT_FALSE(dir.Exists("Temp/tallyhouse.cgi_C_0001_REQ"));
    EXPECT_FALSE(dir.Exists("Temp/TALLYHOUSE.CGI_C_0002_OUT"));
    EXPECT_TRUE(dir.Exists("Temp/tallyhouse.cgi_S"));
    EXPECT_TRUE(dir.Exists("Temp/other.cgi_C_0003_REQ"));
}

struct Pipe {
    int fds[2];
    explicit Pipe(const std::string& input) {
        EXPECT_EQ(pipe(fds), 0);
        EXPECT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        close(fds[1]);
    }
    ~Pipe() { close(fds[0]); }
};

std::string WriteAndRead(const testsupport::ScratchDir& dir, const std::vector<std::string>& env,
                         const std::string& input, long contentLength) {
    const std::string path = (dir.Path() / "request").string();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Pipe body(input);
    WriteRequestFile(fd, env, body.fds[0], contentLength);
    close(fd);
    return dir.Read("request");
}

TEST(RequestFile, HoldsTheEnvironmentTheDebugMarkAndExactlyContentLengthBytes) {
    testsupport::ScratchDir dir;
    struct Case {
        const char* fault;
        std::string input;
        long length;
        std::string body;
    } cases[] = {
        {"body copied whole", "a=1&b=2", 7, "a=1&b=2"},
        {"reads past the content length", "a=1&b=2tail", 7, "a=1&b=2"},
        {"waits for input that never comes", "a=1", 7, "a=1"},
        {"copies a body without a length", "a=1", 0, ""},
    };
    for (const Case& c : cases) {
        const std::string text = WriteAndRead(dir, {"QUERY_STRING=x=1", "SERVER_SOFTWARE=test"}, c.input, c.length);
        EXPECT_EQ(text, "QUERY_STRING=x=1\r\nSERVER_SOFTWARE=test\r\nSERVAL_CGI_DEBUG=true\r\n\r\n" + c.body) << c.fault;
    }
}

TEST(RequestFile, HeadReadsBackAsTheEnvironmentListWithTheBodyAfterIt) {
    testsupport::ScratchDir dir;
    const std::string body(20000, 'b');
    WriteAndRead(dir, {"A=1", "B=", "C=x=y"}, body, static_cast<long>(body.size()));
    const int fd = open((dir.Path() / "request").c_str(), O_RDONLY);
    const TRequestFileHead head = ReadRequestFileHead(fd);
    close(fd);
    EXPECT_EQ(head.Environment, (std::vector<std::string>{"A=1", "B=", "C=x=y", "SERVAL_CGI_DEBUG=true"}));
    EXPECT_EQ(dir.Read("request").substr(head.BodyOffset), body);
}

TEST(RequestFile, LeavesOutEnvironmentStringsThatWouldEndTheBlockEarly) {
    setenv("TALLYHOUSE_TEST_INJECTED", "x\r\n\r\nQUERY_STRING=evil", 1);
    const std::vector<std::string> env = RequestEnvironment();
    unsetenv("TALLYHOUSE_TEST_INJECTED");
    for (const std::string& line : env) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_FALSE(env.empty());
}

}  // namespace
