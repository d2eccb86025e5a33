#include "platform/text/display_text.h"

#include <array>

namespace tallyhouse::platform {

namespace {

// windows-1252 0x80 to 0x9F; the five bytes it leaves undefined keep their C1 code point, as
// browsers' decoders do.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t Windows1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte};
}

bool IsMultiByteUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0) return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

std::u32string DecodeDisplayText(std::string_view bytes) {
    std::u32string codes;
    DecodeDisplayText(bytes, codes);
    return codes;
}

// One pass for valid UTF-8, which is multi-byte when it gives fewer characters than bytes; a text
// that turns out not to be UTF-8 is read again as windows-1252.
void DecodeDisplayText(std::string_view bytes, std::u32string& codes) {
    codes.resize(bytes.size());
    std::size_t n = 0, i = 0;
    while (i < bytes.size() && ReadUtf8Char(bytes, i, codes[n])) ++n;
    if (i == bytes.size() && n < bytes.size()) {
        codes.resize(n);
        return;
    }
    for (i = 0; i < bytes.size(); ++i) codes[i] = Windows1252Char(static_cast<unsigned char>(bytes[i]));
}

void AppendUtf8(std::string& out, char32_t code) {
    const auto put = [&out](char32_t byte) { out.push_back(static_cast<char>(byte)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

std::string DisplayTextUtf8(std::string_view bytes) {
    if (IsMultiByteUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char c : bytes) AppendUtf8(out, Windows1252Char(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace tallyhouse::platform
