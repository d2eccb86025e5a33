// Text and numbers as an SVG document holds them: characters read by the display rule, every one
// that XML cannot hold replaced, markup characters escaped for text and attribute values alike.
#pragma once

#include <string>
#include <string_view>

namespace tallyhouse::image {

// Appends the bytes as they are shown (UTF-8 when they are multi-byte UTF-8, else windows-1252),
// escaped: & < > " ' as entities, tab, line feed and carriage return as character references, and
// control characters and non-characters XML 1.0 forbids as U+FFFD.
void AppendSvgText(std::string& out, std::string_view bytes);

// Appends a length or coordinate: an integer as such, otherwise with at most three decimals.
void AppendSvgNumber(std::string& out, double value);

}  // namespace tallyhouse::image
