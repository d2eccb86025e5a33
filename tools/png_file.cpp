// libpng's simplified write interface: one call for the whole image.
#include "tools/png_file.h"

#include <png.h>

#include <filesystem>

#include "platform/os/exception.h"

using namespace tallyhouse::platform;

void WritePng(const TBitmap& bitmap, const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.Width());
    image.height = static_cast<png_uint_32>(bitmap.Height());
    image.format = PNG_FORMAT_RGB;
    const int stride = bitmap.Width() * 3;
    if (!png_image_write_to_file(&image, path.c_str(), 0, bitmap.Data(), stride, nullptr))
        throw EFileError("cannot write " + path + ": " + image.message);
}
