#include "image/svg/svg_text.h"

#include <charconv>
#include <cmath>

#include "platform/text/display_text.h"

namespace tallyhouse::image {

using namespace tallyhouse::platform;

namespace {

// XML 1.0's Char production, less the three white-space controls written as references.
bool XmlChar(char32_t c) {
    return (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

void AppendSvgText(std::string& out, std::string_view bytes) {
    for (const char32_t c : DecodeDisplayText(bytes)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '\t': out += "&#9;"; break;
            case '\n': out += "&#10;"; break;
            case '\r': out += "&#13;"; break;
            default: AppendUtf8(out, XmlChar(c) ? c : char32_t{0xFFFD});
        }
    }
}

void AppendSvgNumber(std::string& out, double value) {
    const double rounded = std::round(value * 1000) / 1000;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, rounded == 0 ? 0.0 : rounded);
    out.append(text, result.ptr);
}

}  // namespace tallyhouse::image
