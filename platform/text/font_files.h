// Font files for the faces the chart names and for the fallback face, found once per process and
// kept mapped.
#pragma once

#include <span>
#include <string>

namespace tallyhouse::platform {

// The bytes of the font file for a face name and style. "Arial" and unknown names are served by
// Liberation Sans, "Times New Roman" by Liberation Serif, "Courier New" by Liberation Mono.
// Throws Exception when no such file is installed.
using TFontFileBytes = std::span<const unsigned char>;

TFontFileBytes FontFileData(const std::string& name, bool bold, bool italic);

// The bytes of DejaVu Sans (bold or book), which draws the characters the chart's face lacks;
// empty when it is not installed.
TFontFileBytes FallbackFontData(bool bold);

// Names the font files the charts are drawn with: the chart's usual face and the fallback face,
// each as its path, size and modification time (or "missing"); the other styles come in the
// same packages. A new font package gives a new text, the same in every process.
std::string FontFilesIdentity();

}  // namespace tallyhouse::platform
