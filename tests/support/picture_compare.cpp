#include "tests/support/picture_compare.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace testsupport {

Picture PictureOfGif(const std::string& bytes) {
    const DecodedGif gif = DecodeGif(bytes);
    if (!gif.ok || gif.frames.size() != 1) return {};
    return Picture{gif.width, gif.height, gif.frames[0].rgb};
}

Picture PictureOfPng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    Picture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3)
        picture.rgb.push_back(static_cast<std::uint32_t>(pixels[i]) << 16 | static_cast<std::uint32_t>(pixels[i + 1]) << 8 |
                              pixels[i + 2]);
    return picture;
}

Picture Crop(const Picture& picture, int left, int top, int width, int height) {
    Picture part{width, height, {}};
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            part.rgb.push_back(x < picture.width && y < picture.height ? picture.At(x, y) : 0);
    return part;
}

namespace {

int Distance(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return most;
}

std::vector<bool> Mask(const std::vector<Box>& boxes, int width, int height) {
    std::vector<bool> mask(static_cast<std::size_t>(width) * height);
    for (const Box& b : boxes)
        for (int y = std::max(0, b.top); y < std::min(height, b.bottom); ++y)
            for (int x = std::max(0, b.left); x < std::min(width, b.right); ++x) mask[static_cast<std::size_t>(y) * width + x] = true;
    return mask;
}

}  // namespace

double MatchingShare(const Picture& expected, const Picture& picture, int scale, int distance,
                     const std::vector<Box>& aside) {
    const std::vector<bool> mask = Mask(aside, expected.width, expected.height);
    long long compared = 0, matching = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            if (mask[static_cast<std::size_t>(y) * expected.width + x]) continue;
            ++compared;
            bool found = false;
            for (int dy = 0; dy < scale && !found; ++dy)
                for (int dx = 0; dx < scale && !found; ++dx) {
                    const int px = x * scale + dx, py = y * scale + dy;
                    found = px < picture.width && py < picture.height && Distance(expected.At(x, y), picture.At(px, py)) <= distance;
                }
            matching += found ? 1 : 0;
        }
    return compared == 0 ? 1.0 : static_cast<double>(matching) / static_cast<double>(compared);
}

std::size_t ColorCount(const Picture& picture) {
    return std::unordered_set<std::uint32_t>(picture.rgb.begin(), picture.rgb.end()).size();
}

}  // namespace testsupport
