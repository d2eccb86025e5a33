// A poll of a great many different answers (one each) is charted in every style: far more bars,
// slices and marks than the chart has pixels.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/cgi_runner.h"
#include "tests/support/gif_decode.h"

using namespace testsupport;

namespace {

TEST(LargePoll, TwoHundredThousandDifferentAnswersAreChartedInEveryStyle) {
    ScratchDir dir;
    {
        std::string text;
        for (int i = 0; i < 200000; ++i) text += "12/08/26 10:00:00,127.0.0.1,answer " + std::to_string(i) + "\r\n";
        std::ofstream(dir.Path() / "many.pol", std::ios::binary) << text;
    }
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

}  // namespace
