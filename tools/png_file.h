// Writes a bitmap as an 8-bit RGB PNG file, creating the folder it goes into.
#pragma once

#include <string>

#include "platform/raster/bitmap.h"

void WritePng(const tallyhouse::platform::TBitmap& bitmap, const std::string& path);
