// How bytes received from a form are read as characters wherever they are shown: a text that
// is valid UTF-8 and holds at least one multi-byte sequence is UTF-8; anything else is
// windows-1252, which is what browsers send for a page declared ISO-8859-1. Pure ASCII reads
// the same either way, and an old Latin-1 poll keeps its characters.
#pragma once

#include <string>
#include <string_view>

// The characters of a text as Unicode code points, by the rule above.
std::u32string DecodeDisplayText(std::string_view bytes);

// The same characters written as UTF-8. Idempotent: DecodeDisplayText of the result gives the
// same code points as DecodeDisplayText of the input.
std::string DisplayTextUtf8(std::string_view bytes);

// True when the bytes are valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) with at least one multi-byte sequence.
bool IsMultiByteUtf8(std::string_view bytes);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t code);
