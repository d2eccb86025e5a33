// Decodes GIF bytes with giflib, independently of the program's own writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct DecodedFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    bool localColorMap = false;
    int delayCs = -1;            // from the graphic control extension, -1 when absent
    int disposal = -1;
    int transparentIndex = -1;
    std::vector<std::uint8_t> indexes;  // row-major, top row first (giflib de-interlaces)
    std::vector<std::uint32_t> rgb;     // 0xRRGGBB per pixel, through the frame's colour map
};

struct DecodedGif {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    int globalColorCount = 0;   // 0 when there is no global table
    std::vector<DecodedFrame> frames;
    std::vector<std::string> comments;
    bool loops = false;         // NETSCAPE2.0 application extension present
};

DecodedGif DecodeGif(const std::string& bytes);

// 0xRRGGBB from a TColor-style 0x00BBGGRR value.
inline std::uint32_t RgbFromTColor(std::uint32_t c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace testsupport
