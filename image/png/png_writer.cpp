#include "image/png/png_writer.h"

#include <png.h>

#include <vector>

#include "image/gif/gif_palette.h"
#include "platform/os/exception.h"

namespace tallyhouse::image {

using namespace tallyhouse::platform;

namespace {

// libpng's simplified interface writes the file in one call into a buffer of the largest size
// the image can take, so nothing is compressed twice.
std::string Write(png_image& image, const void* pixels, int stride, const void* colormap) {
    std::string bytes(PNG_IMAGE_PNG_SIZE_MAX(image), '\0');
    png_alloc_size_t size = bytes.size();
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, stride, colormap))
        throw Exception(std::string("PNG encoding failed: ") + image.message);
    bytes.resize(size);
    return bytes;
}

}  // namespace

std::string EncodePng(const TBitmap& bitmap) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.Width());
    image.height = static_cast<png_uint_32>(bitmap.Height());
    image.flags = PNG_IMAGE_FLAG_FAST;
    TGifPalette palette;
    TGifIndexes indexes;
    if (!MapGifFrame(bitmap, false, palette, indexes)) {
        image.format = PNG_FORMAT_RGB;
        return Write(image, bitmap.Data(), bitmap.Width() * 3, nullptr);
    }
    std::vector<std::uint8_t> colormap;
    for (int i = 0; i < palette.Count(); ++i) {
        const std::uint32_t rgb = palette.Color(i);
        colormap.insert(colormap.end(), {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)});
    }
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(palette.Count());
    return Write(image, indexes.data(), bitmap.Width(), colormap.data());
}

}  // namespace tallyhouse::image
