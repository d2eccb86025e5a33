// How bytes received from a form are read as characters wherever they are shown: a text that
// is valid UTF-8 and holds at least one multi-byte sequence is UTF-8; anything else is
// windows-1252, which is what browsers send for a page declared ISO-8859-1. Pure ASCII reads
// the same either way, and an old Latin-1 poll keeps its characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tallyhouse::platform {

// The characters of a text as Unicode code points, by the rule above.
std::u32string DecodeDisplayText(std::string_view bytes);
// The same into codes, whose storage is reused: for callers that read a text per chart point.
void DecodeDisplayText(std::string_view bytes, std::u32string& codes);

// The same characters written as UTF-8. Idempotent: DecodeDisplayText of the result gives the
// same code points as DecodeDisplayText of the input.
std::string DisplayTextUtf8(std::string_view bytes);

// True when the bytes are valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) with at least one multi-byte sequence.
bool IsMultiByteUtf8(std::string_view bytes);

// The two halves of the rule a character at a time, for callers that measure a text per chart
// point without building a string. Windows1252Char: the character a windows-1252 byte stands
// for. ReadUtf8Char: the UTF-8 character at bytes[i], moving i past it, or false (i unmoved)
// where no well-formed sequence starts; inline, with its two steps, as it runs per character.
char32_t Windows1252Char(unsigned char byte);

// The length of the well-formed UTF-8 sequence at text[i], or 0 when there is none.
inline std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((at(i + k) & 0xC0) != 0x80) return 0;
    return length;
}

// The code point of the well-formed sequence of that length at text[i].
inline char32_t Utf8SequenceCode(std::string_view text, std::size_t i, std::size_t length) {
    const auto at = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(text[k])); };
    if (length == 1) return at(i);
    char32_t code = at(i) & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (at(i + k) & 0x3F);
    return code;
}

inline bool ReadUtf8Char(std::string_view bytes, std::size_t& i, char32_t& code) {
    const std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) return false;
    code = Utf8SequenceCode(bytes, i, length);
    i += length;
    return true;
}

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t code);

}  // namespace tallyhouse::platform
