// Fuzzes the SVG writer's escaping: any bytes, written as text or as an attribute value, must
// come out as well-formed UTF-8 of XML characters with no markup but whole entity references,
// and a chart text drawn with them must leave the document's markup balanced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "image/svg/svg_canvas.h"
#include "image/svg/svg_text.h"

using namespace tallyhouse::image;

namespace {

// The length of the UTF-8 sequence of an XML character at text[i], 0 when there is none.
std::size_t XmlCharLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                                        : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (at(i + k) & 0x3F);
    }
    const std::size_t shortest = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    const bool xml = (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                     (code >= 0x10000 && code <= 0x10FFFF);
    return shortest == length && xml ? length : 0;
}

void CheckEscaped(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '<' || text[i] == '>' || text[i] == '"' || text[i] == '\'') std::abort();
        if (text[i] == '&') {
            const std::size_t end = text.find(';', i);
            if (end == std::string_view::npos) std::abort();
            const std::string_view entity = text.substr(i, end + 1 - i);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" && entity != "&#39;" &&
                entity != "&#9;" && entity != "&#10;" && entity != "&#13;")
                std::abort();
            i = end + 1;
            continue;
        }
        const std::size_t length = XmlCharLength(text, i);
        if (length == 0) std::abort();
        i += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string escaped;
    AppendSvgText(escaped, bytes);
    CheckEscaped(escaped);
    // The same bytes as a chart text: one text element, its content escaped the same way.
    TSvgCanvas canvas(100, 50);
    canvas.TextOut(1, 2, bytes);
    const std::string document = canvas.Document(bytes, bytes);
    const std::size_t start = document.find("<text"), open = document.find('>', start);
    const std::size_t close = document.find("</text>", open);
    if (!bytes.empty() && (start == std::string::npos || close == std::string::npos)) std::abort();
    if (!bytes.empty()) CheckEscaped(std::string_view(document).substr(open + 1, close - open - 1));
    return 0;
}
