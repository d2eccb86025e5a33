// A poll of a great many different answers (one each) is charted in every style: far more bars,
// slices and marks than the chart has pixels.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

using namespace testsupport;

namespace {

void WriteManyAnswers(const ScratchDir& dir) {
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "12/08/26 10:00:00,127.0.0.1,answer " + std::to_string(i) + "\r\n";
    std::ofstream(dir.Path() / "many.pol", std::ios::binary) << text;
}

TEST(LargePoll, TwoHundredThousandDifferentAnswersAreChartedInEveryStyle) {
    ScratchDir dir;
    WriteManyAnswers(dir);
    for (const char* style : {"0", "1", "2", "3", "3&3D=yes"}) {
        CgiRequest request = GetRequest(std::string("command=view&filename=many.pol&style=") + style);
        request.timeoutSeconds = 60;  // a safety net, far above what the view needs
        const CgiResult result = RunProgram(dir.Program(), request);
        EXPECT_EQ(result.exitCode, 0) << style;
        const DecodedGif gif = DecodeGif(result.body);
        ASSERT_TRUE(gif.ok) << style << ": " << gif.error;
        EXPECT_EQ(gif.width, 400) << style;
        EXPECT_EQ(gif.height, 250) << style;
    }
}

// The web server's end of standard output is closed before the chart is drawn (its client went
// away): the view ends with a log line instead of drawing a chart that nobody can receive.
TEST(LargePoll, AViewWhoseClientHasGoneStopsDrawing) {
    ScratchDir dir;
    WriteManyAnswers(dir);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(output[1], 1);
        close(output[0]);
        close(output[1]);
        if (chdir(dir.Path().c_str()) != 0) _exit(126);
        const char* env[] = {"SERVER_SOFTWARE=lighttpd/1.4.69", "GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET",
                             "QUERY_STRING=command=view&filename=many.pol&style=3&3D=yes", "REMOTE_ADDR=127.0.0.1",
                             nullptr};
        const std::string program = dir.Program();
        execle(program.c_str(), program.c_str(), static_cast<char*>(nullptr), env);
        _exit(127);
    }
    close(output[0]);
    close(output[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string log = dir.Read("Log/tallyhouse.Log");
    EXPECT_NE(log.find("The client has gone; the chart was not finished"), std::string::npos) << log;
}

}  // namespace
