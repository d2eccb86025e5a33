// Font files for the faces the chart names, found once per process and kept mapped.
#pragma once

#include <span>
#include <string>

// The bytes of the font file for a face name and style. "Arial" and unknown names are served by
// Liberation Sans, "Times New Roman" by Liberation Serif, "Courier New" by Liberation Mono.
// Throws Exception when no such file is installed.
using TFontFileBytes = std::span<const unsigned char>;

TFontFileBytes FontFileData(const std::string& name, bool bold, bool italic);
