// What a chart's key and tag stand for: the build that is running and the poll's content, even
// where file times are too coarse to tell two versions of a poll apart.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include "tests/support/cgi_runner.h"
#include "tests/support/fastcgi_client.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// A copy of the program with another build id, put in place of the file as a deploy does.
void DeployAnotherBuild(const std::string& program) {
    std::string bytes = ReadFile(program);
    const std::string note("\x04\0\0\0\x14\0\0\0\x03\0\0\0GNU\0", 16);
    const size_t at = bytes.find(note);
    ASSERT_NE(at, std::string::npos) << "the program has a build id";
    bytes[at + note.size()] = static_cast<char>(bytes[at + note.size()] ^ 0x5A);
    const std::string next = program + ".new";
    std::ofstream(next, std::ios::binary) << bytes;
    fs::permissions(next, fs::perms::owner_all);
    fs::rename(next, program);
}

// The scratch folder on a ramfs for the test's life: its file times move once a clock tick, as
// every file system's did before Linux 6.13. Needs the right to mount.
class CoarseClockFolder {
public:
    explicit CoarseClockFolder(const ScratchDir& dir) : path_(dir.Path()) {
        mounted_ = mount("ramfs", path_.c_str(), "ramfs", 0, nullptr) == 0;
        if (mounted_) fs::copy_file(TALLYHOUSE_CGI, path_ / "tallyhouse.cgi");
    }
    ~CoarseClockFolder() {
        if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    }
    CoarseClockFolder(const CoarseClockFolder&) = delete;
    CoarseClockFolder& operator=(const CoarseClockFolder&) = delete;
    bool Mounted() const { return mounted_; }

private:
    fs::path path_;
    bool mounted_ = false;
};

TEST(ChartKeyIdentity, RunningWorkersKeepTheirBuildsTagAfterADeploy) {
    ScratchDir dir;
    const std::string query = "command=view&filename=testenglish";
    const std::string oldTag = ETagOf(RunProgram(dir.Program(), GetRequest(query)).output);
    ASSERT_FALSE(oldTag.empty());
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    DeployAnotherBuild(dir.Program());
    EXPECT_EQ(ETagOf(FastCgiAnswer(server.Socket(), GetRequest(query))), oldTag)
        << "a worker of the old build tags what the old build draws";
    EXPECT_NE(ETagOf(RunProgram(dir.Program(), GetRequest(query)).output), oldTag) << "the new build has tags of its own";
}

// File times move once a clock tick: two versions of the same size written within one tick
// have the same times, and only the content tells them apart.
TEST(ChartKeyIdentity, APollRewrittenToTheSameSizeIsNeverAnsweredFromTheCache) {
    ScratchDir dir;
    const CoarseClockFolder coarse(dir);
    if (!coarse.Mounted()) GTEST_SKIP() << "no right to mount a ramfs here";
    FastCgiServer server(dir, 1);
    ASSERT_TRUE(server.Running()) << dir.Read("server.log");
    const std::string query = "command=view&filename=q.pol&width=40&height=30&legend=no";
    std::string expected[2];
    for (int version = 0; version < 2; ++version) {
        dir.Write("q.pol", version ? "d,a,no!\r\n" : "d,a,yes\r\n");
        expected[version] = RunProgram(dir.Program(), GetRequest(query)).body;
    }
    int stale = 0;
    for (int round = 0; round < 50; ++round) {
        dir.Write("q.pol", round % 2 ? "d,a,no!\r\n" : "d,a,yes\r\n");
        CgiResult answer;
        answer.output = FastCgiAnswer(server.Socket(), GetRequest(query));
        SplitResponse(answer);
        stale += answer.body != expected[round % 2];
    }
    EXPECT_EQ(stale, 0) << "views answered with the chart of the poll's other version";
}

}  // namespace
