// Reads a GIF file block by block and counts the LZW codes of its image data, to check what a
// decoder like giflib hides: block bytes, sub-block lengths, code widths and clear codes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace giftest {

struct GifBlock {
    bool image = false;
    std::uint8_t label = 0;            // extension label; 0 for an image
    std::vector<std::uint8_t> fixed;   // image descriptor after 0x2C, or the bytes of the first sub-block
    std::vector<std::uint8_t> localTable;
    int minCodeSize = 0;
    std::vector<std::size_t> subBlockLengths;  // of the data sub-blocks (for an extension: after the first)
    std::string data;                          // the data sub-blocks joined
};

struct GifStructure {
    bool ok = false;
    std::string error;
    std::vector<std::uint8_t> screen;  // the 7 bytes of the logical screen descriptor
    std::vector<std::uint8_t> globalTable;
    std::vector<GifBlock> blocks;
};

// Extensions keep their first sub-block in `fixed` only for the graphic control (0xF9) and
// application (0xFF) extensions; a comment's sub-blocks all go to `data`.
GifStructure ParseGifStructure(const std::string& bytes);

struct LzwCodeStats {
    bool ok = false;
    std::string error;
    int codes = 0;       // all codes read, clear and end codes included
    int clearCodes = 0;  // the first one included
    int maxWidth = 0;
    bool endCode = false;
    std::size_t bitsLeft = 0;  // bits after the end code
};

// Reads codes the way a decoder sizes them, checking that each one is already defined.
LzwCodeStats ScanLzwCodes(const std::string& data, int minCodeSize);

}  // namespace giftest
