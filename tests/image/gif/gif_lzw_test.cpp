// The image data of long pictures: code widths up to 12 bits, clear codes, sub-block sizes.
#include "image/gif/gif_lzw.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/gif/gif_string_table.h"
#include "image/gif/gif_writer.h"
#include "tests/image/gif/gif_structure.h"
#include "tests/image/gif/gif_test_images.h"
#include "tests/support/gif_decode.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

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

// The image data as a coder without shortcuts writes it: one index at a time through the
// reference string table, codes packed and cut into sub-blocks in the plainest way.
std::string PlainImageData(const std::vector<std::uint8_t>& indexes, int colorBits) {
    const int codeSize = std::max(colorBits, 2), clear = 1 << codeSize;
    std::string packed;
    std::uint32_t bits = 0;
    int bitCount = 0, width = codeSize + 1, freeCode = clear + 2;
    auto put = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << bitCount;
        for (bitCount += width; bitCount >= 8; bitCount -= 8, bits >>= 8) packed += static_cast<char>(bits & 0xFF);
        if (freeCode > (1 << width) - 1 && width < 12) ++width;
    };
    TGifStringTable table;
    put(clear);
    int prefix = indexes.empty() ? -1 : indexes[0];
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        const int key = (indexes[i] << 12) | prefix;
        bool found = false;
        const int slot = table.Probe(key, found);
        if (found) {
            prefix = table.Code(slot);
            continue;
        }
        put(prefix);
        if (freeCode < 4096) {
            table.Store(slot, key, freeCode++);
        } else {
            bits |= static_cast<std::uint32_t>(clear) << bitCount;
            for (bitCount += width; bitCount >= 8; bitCount -= 8, bits >>= 8) packed += static_cast<char>(bits & 0xFF);
            table.Clear();
            freeCode = clear + 2;
            width = codeSize + 1;
        }
        prefix = indexes[i];
    }
    if (prefix >= 0) put(prefix);
    put(clear + 1);
    if (bitCount > 0) packed += static_cast<char>(bits & 0xFF);
    std::string data(1, static_cast<char>(codeSize));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, packed.size() - at);
        data += static_cast<char>(length);
        data += packed.substr(at, length);
    }
    return data + '\0';
}

// Runs of random lengths up to maxRun, of indexes below colors; index 0 takes every zeroShare-th run.
std::vector<std::uint8_t> RandomRuns(std::size_t count, int colors, int maxRun, int zeroShare, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> indexes;
    while (indexes.size() < count) {
        const int index = random() % zeroShare == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(colors));
        indexes.insert(indexes.end(), 1 + random() % static_cast<unsigned>(maxRun), static_cast<std::uint8_t>(index));
    }
    indexes.resize(count);
    return indexes;
}

TEST(GifImageData, RunsTakenInOneStepWriteTheBytesOfTheIndexByIndexCoder) {
    struct Case {
        const char* fault;
        std::vector<std::uint8_t> indexes;
        int colorBits;
    };
    std::vector<std::uint8_t> quirkProne = {16, 1, 16, 1, 0, 0, 0};  // slot 0 taken before "0 0" is entered
    const std::vector<std::uint8_t> zeroRuns = RandomRuns(200000, 24, 40, 3, 9);
    quirkProne.insert(quirkProne.end(), zeroRuns.begin(), zeroRuns.end());
    std::vector<std::uint8_t> oneLongRun(3000000, 5);  // runs up to 2,400 long, then a clear
    oneLongRun.push_back(6);
    const Case cases[] = {
        {"nothing", {}, 2},
        {"one index", {3}, 2},
        {"a run ending at the last index", std::vector<std::uint8_t>(1000, 1), 1},
        {"a run longer than any string fills the table and clears it", oneLongRun, 3},
        {"short runs of few colours", RandomRuns(100000, 4, 12, 1000, 1), 2},
        {"long runs of a chart's colours", RandomRuns(100000, 16, 400, 1000, 2), 4},
        {"runs of 256 colours clear the table often", RandomRuns(300000, 256, 6, 1000, 3), 8},
        {"runs of index 0 after the reference table takes over", quirkProne, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TMemorySink sink;
        WriteGifImageData(c.indexes.data(), c.indexes.size(), c.colorBits, sink);
        EXPECT_TRUE(sink.Bytes() == PlainImageData(c.indexes, c.colorBits));
    }
}

}  // namespace
