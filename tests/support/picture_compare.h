// Pictures as plain RGB pixels, from GIF and PNG bytes, and how much of one another picture shows
// within a colour distance: for comparing one chart drawn in several formats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/gif_decode.h"

namespace testsupport {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row-major
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

// Empty (0 x 0) when the bytes are no single-frame GIF resp. no PNG libpng reads.
Picture PictureOfGif(const std::string& bytes);
Picture PictureOfPng(const std::string& bytes);
Picture Crop(const Picture& picture, int left, int top, int width, int height);

// A rectangle of pixels left out of a comparison (texts), right and bottom exclusive.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The share of the expected picture's pixels, outside the boxes, that the other picture shows
// scale times as large: some pixel of the matching scale x scale block lies within the colour
// distance (the largest difference of the three channels).
double MatchingShare(const Picture& expected, const Picture& picture, int scale, int distance,
                     const std::vector<Box>& aside);

// The number of different colours.
std::size_t ColorCount(const Picture& picture);

}  // namespace testsupport
