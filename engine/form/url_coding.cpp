#include "engine/form/url_coding.h"

namespace tallyhouse::engine {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool KeptInUrl(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '/' ||
           c == '\\';
}

}  // namespace

std::string UrlDecode(std::string_view s) {
    std::string decoded;
    decoded.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

std::string UrlEncode(std::string_view s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(s.size());
    for (const char c : s) {
        if (c == ' ') {
            encoded += '+';
        } else if (KeptInUrl(c)) {
            encoded += c;
        } else {
            const unsigned char byte = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 15];
        }
    }
    return encoded;
}

}  // namespace tallyhouse::engine
