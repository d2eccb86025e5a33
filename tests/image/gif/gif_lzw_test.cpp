// The image data of long pictures: code widths up to 12 bits, clear codes, sub-block sizes.
#include "image/gif/gif_lzw.h"

#include <gtest/gtest.h>

#include "image/gif/gif_writer.h"
#include "tests/image/gif/gif_structure.h"
#include "tests/image/gif/gif_test_images.h"
#include "tests/support/gif_decode.h"

namespace {

std::string WriteBitmap(const TBitmap& bitmap) {
    GifFrame frame;
    frame.bitmap = &bitmap;
    GifImageList list;
    list.frameCount = 1;
    list.frames[0] = &frame;
    TMemorySink sink;
    EXPECT_EQ(WriteGif(list, sink), TGifResult::Written);
    return sink.Bytes();
}

const giftest::GifBlock& ImageBlock(const giftest::GifStructure& gif) {
    for (const auto& block : gif.blocks)
        if (block.image) return block;
    throw std::runtime_error("no image block");
}

TEST(GifImageData, LongPicturesGrowCodesTo12BitsAndClearTheTable) {
    struct Case {
        const char* fault;
        TBitmap bitmap;
        int minClears;  // the first clear code included
        int maxWidth;
    };
    const Case cases[] = {
        {"noise of 256 colours fills the table many times", giftest::NoiseBitmap(300, 200, 256, 7), 10, 12},
        {"noise of 4 colours clears with a code size of 2", giftest::NoiseBitmap(400, 300, 4, 3), 3, 12},
        {"a flat picture grows long strings without filling the table", TBitmap(500, 400, clRed), 1, 10},
        {"noise of 2 colours uses a 2-entry table", giftest::NoiseBitmap(300, 200, 2, 5), 2, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string bytes = WriteBitmap(c.bitmap);
        const auto structure = giftest::ParseGifStructure(bytes);
        ASSERT_TRUE(structure.ok) << structure.error;
        const auto& image = ImageBlock(structure);
        const auto stats = giftest::ScanLzwCodes(image.data, image.minCodeSize);
        ASSERT_TRUE(stats.ok) << stats.error;
        EXPECT_GE(stats.clearCodes, c.minClears);
        EXPECT_EQ(stats.maxWidth, c.maxWidth);
        EXPECT_LT(stats.bitsLeft, 8u) << "only the padding of the last byte follows the end code";
        const auto decoded = testsupport::DecodeGif(bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_EQ(giftest::CompareFrame(decoded.frames[0], c.bitmap), "");
    }
}

TEST(GifImageData, SubBlocksHold255BytesExceptTheLast) {
    // Noise pictures of growing height until the data ends exactly on a sub-block boundary, and
    // just after one.
    bool exactBoundary = false, oneAfter = false;
    for (int height = 1; height < 400 && !(exactBoundary && oneAfter); ++height) {
        const TBitmap bitmap = giftest::NoiseBitmap(37, height, 23, 11);
        const std::string bytes = WriteBitmap(bitmap);
        const auto structure = giftest::ParseGifStructure(bytes);
        ASSERT_TRUE(structure.ok) << structure.error;
        const auto& lengths = ImageBlock(structure).subBlockLengths;
        ASSERT_FALSE(lengths.empty());
        for (std::size_t i = 0; i + 1 < lengths.size(); ++i) ASSERT_EQ(lengths[i], 255u) << "height " << height;
        ASSERT_GE(lengths.back(), 1u);
        ASSERT_LE(lengths.back(), 255u);
        if (lengths.size() < 2) continue;
        exactBoundary |= lengths.back() == 255;
        oneAfter |= lengths.back() == 1;
        const auto decoded = testsupport::DecodeGif(bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error << " at height " << height;
        ASSERT_EQ(giftest::CompareFrame(decoded.frames[0], bitmap), "") << "height " << height;
    }
    EXPECT_TRUE(exactBoundary);
    EXPECT_TRUE(oneAfter);
}

}  // namespace
