// The PNG encoder: a bitmap of at most 256 colours (every chart drawn in palette colours) as an
// indexed image, a richer one as 8-bit RGB; both through libpng.
#pragma once

#include <string>

#include "platform/raster/bitmap.h"

namespace tallyhouse::image {

// The PNG file's bytes; an image libpng refuses raises an Exception with its reason.
std::string EncodePng(const platform::TBitmap& bitmap);

}  // namespace tallyhouse::image
