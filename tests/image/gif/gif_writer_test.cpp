// The GIF writer, checked by decoding with giflib and by reading the blocks it writes.
#include "image/gif/gif_writer.h"

#include <gtest/gtest.h>

#include "tests/image/gif/gif_structure.h"
#include "tests/image/gif/gif_test_images.h"
#include "tests/support/gif_decode.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::image;

namespace {

using giftest::CompareFrame;
using giftest::CycledBitmap;
using giftest::NumberedColor;
using giftest::ParseGifStructure;

struct Written {
    bool ok = false;
    std::string bytes;
};

Written WriteFrames(std::vector<GifFrame>& frames, bool oneColorTable, std::uint16_t loopCount = 0) {
    GifImageList list;
    list.frameCount = static_cast<int>(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) list.frames[i] = &frames[i];
    list.oneColorTable = oneColorTable;
    list.loopCount = loopCount;
    TMemorySink sink;
    const bool ok = WriteGif(list, sink) == TGifResult::Written;
    return {ok, sink.Bytes()};
}

Written WriteOne(const TBitmap& bitmap, GifFrame frame = {}) {
    frame.bitmap = &bitmap;
    std::vector<GifFrame> frames{frame};
    return WriteFrames(frames, true);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

const giftest::GifBlock* FindBlock(const giftest::GifStructure& gif, std::uint8_t label, int nth = 0) {
    for (const auto& block : gif.blocks)
        if ((label == 0 ? block.image : block.label == label) && nth-- == 0) return &block;
    return nullptr;
}

TEST(GifWriter, SmallFileMatchesBytesWorkedOutByHand) {
    TBitmap bitmap(2, 2, clBlue);
    bitmap.SetPixel(0, 0, clRed);
    GifFrame frame;
    frame.delay = 1000;
    const Written gif = WriteOne(bitmap, frame);
    ASSERT_TRUE(gif.ok);
    // Indexes 0 1 1 1, minimum code size 2: clear 4, end 5, first free code 6, width 3.
    // Codes: 4, 0 (enters 6), 1 (enters 7), then "1 1" = 7 is found and written last; the free
    // code 8 no longer fits 3 bits, so the end code 5 goes out with 4 bits.
    // LSB first: 100 000 100 111 1010 -> 0x44 0x5E.
    const std::string credit = GifCreditText;
    const std::string expected =
        "GIF89a" + Bytes({2, 0, 2, 0, 0x80, 0, 0}) +             // screen 2x2, 2-entry global table
        Bytes({0xFF, 0, 0, 0, 0, 0xFF}) +                         // red, blue in order of appearance
        Bytes({0x21, 0xF9, 4, 0, 0x64, 0, 0, 0}) +                // delay 100 hundredths
        Bytes({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0}) +                // image at 0,0, global table
        Bytes({2, 2, 0x44, 0x5E, 0}) +                            // code size, one sub-block, end
        Bytes({0x21, 0xFE, static_cast<int>(credit.size())}) + credit + Bytes({0, 0x3B});
    EXPECT_EQ(gif.bytes, expected);
    const auto decoded = testsupport::DecodeGif(gif.bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(CompareFrame(decoded.frames[0], bitmap), "");
    EXPECT_EQ(decoded.comments, std::vector<std::string>{credit});
}

TEST(GifWriter, ColourCountSetsTableSizeAndCodeSize) {
    struct Case {
        const char* fault;
        int colors, packed, minCodeSize;
    };
    const Case cases[] = {
        {"one colour needs a 2-entry table and code size 2", 1, 0x80, 2},
        {"two colours still fit one bit", 2, 0x80, 2},
        {"three colours need two bits", 3, 0x81, 2},
        {"five colours need three bits", 5, 0x82, 3},
        {"ten colours make a 16-entry table", 10, 0x83, 4},
        {"sixteen colours fill four bits exactly", 16, 0x83, 4},
        {"seventeen colours need five bits", 17, 0x84, 5},
        {"129 colours need eight bits", 129, 0x87, 8},
        {"256 colours are the most a table holds", 256, 0x87, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const TBitmap bitmap = CycledBitmap(16, 20, c.colors);
        const Written gif = WriteOne(bitmap);
        ASSERT_TRUE(gif.ok);
        const auto structure = ParseGifStructure(gif.bytes);
        ASSERT_TRUE(structure.ok) << structure.error;
        EXPECT_EQ(structure.screen[4], c.packed);
        const std::size_t entries = std::size_t{2} << (c.packed & 7);
        ASSERT_EQ(structure.globalTable.size(), 3 * entries);
        for (std::size_t i = 0; i < entries; ++i) {
            const TColor want = i < static_cast<std::size_t>(c.colors) ? NumberedColor(static_cast<int>(i)) : clBlack;
            const std::uint8_t* entry = structure.globalTable.data() + 3 * i;
            EXPECT_EQ(RGB(entry[0], entry[1], entry[2]), want) << "entry " << i;
        }
        const auto* image = FindBlock(structure, 0);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->minCodeSize, c.minCodeSize);
        const auto decoded = testsupport::DecodeGif(gif.bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_EQ(CompareFrame(decoded.frames[0], bitmap), "");
        for (std::size_t i = 0; i < decoded.frames[0].indexes.size(); ++i)
            ASSERT_EQ(decoded.frames[0].indexes[i], i % static_cast<std::size_t>(c.colors)) << "pixel " << i;
    }
}

TEST(GifWriter, MoreThan256ColoursWriteNothing) {
    TBitmap bitmap = CycledBitmap(16, 17, 256);
    bitmap.SetPixel(15, 16, NumberedColor(256));  // the 257th colour, in the very last pixel
    const Written gif = WriteOne(bitmap);
    EXPECT_FALSE(gif.ok);
    EXPECT_EQ(gif.bytes, "");
}

TEST(GifWriter, InterlacedRowsAreMappedAndWrittenInPassOrder) {
    TBitmap bitmap(3, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 3; ++x) bitmap.SetPixel(x, y, NumberedColor(y));
    GifFrame frame;
    frame.interlace = true;
    const Written gif = WriteOne(bitmap, frame);
    ASSERT_TRUE(gif.ok);
    const auto structure = ParseGifStructure(gif.bytes);
    ASSERT_TRUE(structure.ok) << structure.error;
    EXPECT_EQ(FindBlock(structure, 0)->fixed[8], 0x40);
    const auto decoded = testsupport::DecodeGif(gif.bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_TRUE(decoded.frames[0].interlaced);
    EXPECT_EQ(CompareFrame(decoded.frames[0], bitmap), "");
    // Colours enter the table in the order the rows are written: 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    const int rowOrder[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int position = 0; position < 10; ++position)
        EXPECT_EQ(decoded.frames[0].indexes[static_cast<std::size_t>(rowOrder[position] * 3)], position)
            << "row " << rowOrder[position];
}

TEST(GifWriter, RowsAndStretchesLikeTheRowWrittenBeforeDecodeToTheirOwnColours) {
    // 45 pixels: two stretches of 16 and 13 more. Rows repeat their neighbours whole or in part,
    // with single pixels changed at a stretch's first and last pixel and in the part after them.
    TBitmap bitmap(45, 21, clWhite);
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) bitmap.SetPixel(x, y, NumberedColor((x / 7 + y / 3) % 5));
        if (y % 4 == 1) bitmap.SetPixel(16, y, NumberedColor(6));
        if (y % 5 == 2) bitmap.SetPixel(31, y, NumberedColor(7));
        if (y % 6 == 3) bitmap.SetPixel(44, y, NumberedColor(8));
    }
    for (const bool interlace : {false, true}) {
        SCOPED_TRACE(interlace ? "interlaced" : "in order");
        GifFrame frame;
        frame.interlace = interlace;
        const Written gif = WriteOne(bitmap, frame);
        ASSERT_TRUE(gif.ok);
        const auto decoded = testsupport::DecodeGif(gif.bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_EQ(CompareFrame(decoded.frames[0], bitmap), "");
    }
}

TEST(GifWriter, GraphicControlCarriesDisposalDelayAndTransparency) {
    struct Case {
        const char* fault;
        int delay, disposal;
        bool transparent;
        TColor transparentColor;
        std::vector<std::uint8_t> block;  // packed byte, delay low, delay high, transparent index
    };
    const Case cases[] = {
        {"delay is written in hundredths", 1000, 0, false, clWhite, {0, 0x64, 0, 0}},
        {"hundredths are truncated", 1239, 0, false, clWhite, {0, 123, 0, 0}},
        {"a long delay uses the high byte", 30000, 0, false, clWhite, {0, 0xB8, 0x0B, 0}},
        {"disposal 1 goes to bits 2-4", 0, 1, false, clWhite, {4, 0, 0, 0}},
        {"disposal 2", 0, 2, false, clWhite, {8, 0, 0, 0}},
        {"disposal 3", 0, 3, false, clWhite, {12, 0, 0, 0}},
        {"an unknown disposal is written as none", 0, 7, false, clWhite, {0, 0, 0, 0}},
        {"a transparent colour that occurs sets the flag and its index", 0, 0, true, clGreen, {1, 0, 0, 2}},
        {"a transparent colour that does not occur sets nothing", 0, 0, true, clYellow, {0, 0, 0, 0}},
        {"transparency off ignores a colour that occurs", 0, 0, false, clGreen, {0, 0, 0, 0}},
    };
    TBitmap bitmap(3, 2, clRed);
    bitmap.SetPixel(1, 0, clBlue);
    bitmap.SetPixel(2, 1, clGreen);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        GifFrame frame;
        frame.delay = c.delay;
        frame.disposal = static_cast<std::uint8_t>(c.disposal);
        frame.transparent = c.transparent;
        frame.transparentColor = c.transparentColor;
        const Written gif = WriteOne(bitmap, frame);
        ASSERT_TRUE(gif.ok);
        const auto structure = ParseGifStructure(gif.bytes);
        ASSERT_TRUE(structure.ok) << structure.error;
        const auto* control = FindBlock(structure, 0xF9);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->fixed, c.block);
        const auto decoded = testsupport::DecodeGif(gif.bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_EQ(decoded.frames[0].transparentIndex, c.block[0] & 1 ? c.block[3] : -1);
        EXPECT_EQ(CompareFrame(decoded.frames[0], bitmap), "");
    }
}

TEST(GifWriter, CommentsAreCutIntoSubBlocksBeforeTheirFrame) {
    const TBitmap bitmap(2, 2, clWhite);
    GifFrame frame;
    frame.comment = std::string(600, 'x') + "\xFC";
    const Written gif = WriteOne(bitmap, frame);
    ASSERT_TRUE(gif.ok);
    const auto structure = ParseGifStructure(gif.bytes);
    ASSERT_TRUE(structure.ok) << structure.error;
    ASSERT_EQ(structure.blocks.size(), 4u);
    EXPECT_EQ(structure.blocks[0].label, 0xFE);
    EXPECT_EQ(structure.blocks[0].data, frame.comment);
    EXPECT_EQ(structure.blocks[0].subBlockLengths, (std::vector<std::size_t>{255, 255, 91}));
    EXPECT_EQ(structure.blocks[1].label, 0xF9);
    EXPECT_TRUE(structure.blocks[2].image);
    EXPECT_EQ(structure.blocks[3].label, 0xFE);
    EXPECT_EQ(structure.blocks[3].data, GifCreditText);
}

TEST(GifWriter, SeveralFramesShareOneTableAndLoop) {
    const TBitmap first = CycledBitmap(5, 4, 3);
    const TBitmap second = CycledBitmap(7, 2, 6);
    const TBitmap third(2, 9, NumberedColor(40));
    std::vector<GifFrame> frames(3);
    frames[0].bitmap = &first;
    frames[1].bitmap = &second;
    frames[1].left = 3;
    frames[1].top = 1;
    frames[2].bitmap = &third;
    frames[2].top = 2;
    const Written gif = WriteFrames(frames, true, 0x1234);
    ASSERT_TRUE(gif.ok);
    const auto structure = ParseGifStructure(gif.bytes);
    ASSERT_TRUE(structure.ok) << structure.error;
    EXPECT_EQ(structure.screen, (std::vector<std::uint8_t>{10, 0, 11, 0, 0x82, 0, 0}));  // 7 colours
    const auto* loop = FindBlock(structure, 0xFF);
    ASSERT_EQ(loop, &structure.blocks[0]);
    EXPECT_EQ(std::string(loop->fixed.begin(), loop->fixed.end()), "NETSCAPE2.0");
    EXPECT_EQ(loop->data, Bytes({1, 0x34, 0x12}));
    const auto decoded = testsupport::DecodeGif(gif.bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_TRUE(decoded.loops);
    EXPECT_EQ(decoded.globalColorCount, 8);
    ASSERT_EQ(decoded.frames.size(), 3u);
    const TBitmap* bitmaps[] = {&first, &second, &third};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(decoded.frames[i].localColorMap);
        EXPECT_EQ(decoded.frames[i].left, frames[i].left);
        EXPECT_EQ(decoded.frames[i].top, frames[i].top);
        EXPECT_EQ(CompareFrame(decoded.frames[i], *bitmaps[i]), "") << "frame " << i;
    }
    EXPECT_EQ(decoded.frames[2].indexes[0], 6);  // the third frame's colour came seventh
}

TEST(GifWriter, FramesGetTablesOfTheirOwn) {
    struct Case {
        const char* fault;
        bool oneColorTable;
        int secondFirstColor;
    };
    const Case cases[] = {
        {"a shared table overflowing at a later frame falls back to frame tables", true, 200},
        {"without the shared flag every frame has its own table", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const TBitmap first = CycledBitmap(20, 10, 200);
        TBitmap second(20, 10);
        for (int i = 0; i < 200; ++i) second.SetPixel(i % 20, i / 20, NumberedColor(c.secondFirstColor + 199 - i));
        std::vector<GifFrame> frames(2);
        frames[0].bitmap = &first;
        frames[1].bitmap = &second;
        const Written gif = WriteFrames(frames, c.oneColorTable);
        ASSERT_TRUE(gif.ok);
        const auto structure = ParseGifStructure(gif.bytes);
        ASSERT_TRUE(structure.ok) << structure.error;
        EXPECT_EQ(structure.screen[4], 0);
        EXPECT_TRUE(structure.globalTable.empty());
        const auto decoded = testsupport::DecodeGif(gif.bytes);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        ASSERT_EQ(decoded.frames.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_TRUE(decoded.frames[i].localColorMap);
            EXPECT_EQ(FindBlock(structure, 0, static_cast<int>(i))->fixed[8], 0x87);
            EXPECT_EQ(CompareFrame(decoded.frames[i], i == 0 ? first : second), "") << "frame " << i;
            EXPECT_EQ(decoded.frames[i].indexes[1], 1);  // each table starts afresh
        }
    }
}

TEST(GifWriter, FrameTableOverflowStopsAfterTheFramesBefore) {
    const TBitmap first(4, 4, clRed);
    const TBitmap second = CycledBitmap(20, 20, 257);
    std::vector<GifFrame> frames(2);
    frames[0].bitmap = &first;
    frames[1].bitmap = &second;
    const Written gif = WriteFrames(frames, false);
    EXPECT_FALSE(gif.ok);
    EXPECT_EQ(gif.bytes.substr(0, 6), "GIF89a");
    EXPECT_NE(gif.bytes.back(), 0x3B);
    std::swap(frames[0], frames[1]);
    const Written refused = WriteFrames(frames, false);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.bytes, "") << "a failing first frame is found before anything is written";
}

TEST(GifWriter, ListsAGifCannotHoldWriteNothing) {
    const TBitmap small(4, 4, clRed);
    const TBitmap wide(65536, 1, clRed);
    struct Case {
        const char* fault;
        int frameCount;
        const TBitmap* bitmap;
        int left, top;
    };
    const Case cases[] = {
        {"no frames", 0, &small, 0, 0},
        {"more frames than the list holds", 257, &small, 0, 0},
        {"a frame without a bitmap", 1, nullptr, 0, 0},
        {"a negative position would wrap around", 1, &small, -1, 0},
        {"a screen wider than 16 bits", 1, &small, 65533, 0},
        {"a screen taller than 16 bits", 1, &small, 0, 65533},
        {"a bitmap wider than 16 bits", 1, &wide, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        GifFrame frame;
        frame.bitmap = c.bitmap;
        frame.left = c.left;
        frame.top = c.top;
        GifImageList list;
        list.frameCount = c.frameCount;
        list.frames.fill(&frame);
        TMemorySink sink;
        EXPECT_EQ(WriteGif(list, sink), TGifResult::NotExpressible);
        EXPECT_EQ(sink.Bytes(), "");
    }
}

TEST(GifWriter, EmptyBitmapGetsClearAndEndCodeOnly) {
    const TBitmap empty;
    const Written gif = WriteOne(empty);
    ASSERT_TRUE(gif.ok);
    const auto structure = ParseGifStructure(gif.bytes);
    ASSERT_TRUE(structure.ok) << structure.error;
    const auto* image = FindBlock(structure, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->data, Bytes({0x2C}));  // clear 4 and end 5 in three bits each
}

}  // namespace
