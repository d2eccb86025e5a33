// The file sink: a GIF written to a file holds the same bytes as one written to memory.
#include "image/gif/byte_sink.h"

#include <gtest/gtest.h>

#include "image/gif/gif_writer.h"
#include "platform/os/exception.h"
#include "tests/image/gif/gif_test_images.h"
#include "tests/support/cgi_runner.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

namespace {

bool Write(const TBitmap& bitmap, TByteSink& sink) {
    GifFrame frame;
    frame.bitmap = &bitmap;
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    return WriteGif(list, sink) == TGifResult::Written;
}

TEST(ByteSink, FileHoldsTheBytesWrittenToMemory) {
    const testsupport::ScratchDir scratch;
    const TBitmap bitmap = giftest::NoiseBitmap(120, 90, 40, 3);
    TMemorySink memory;
    ASSERT_TRUE(Write(bitmap, memory));
    TFileSink file((scratch.Path() / "chart.gif").string());
    ASSERT_TRUE(Write(bitmap, file));
    file.Close();
    EXPECT_EQ(scratch.Read("chart.gif"), memory.Bytes());
    const auto decoded = testsupport::DecodeGif(scratch.Read("chart.gif"));
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(giftest::CompareFrame(decoded.frames[0], bitmap), "");
}

TEST(ByteSink, FileThatCannotBeCreatedRaisesAnError) {
    const testsupport::ScratchDir scratch;
    EXPECT_THROW(TFileSink((scratch.Path() / "missing" / "chart.gif").string()), EFileError);
}

}  // namespace
