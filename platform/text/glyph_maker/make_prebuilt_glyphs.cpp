// Writes the C++ source of the prebuilt glyphs (prebuilt_glyphs.h): the chart font ("Arial",
// drawn with Liberation Sans) at the size chart texts have unless a chart is zoomed, every
// Latin-1 and windows-1252 character the face draws itself, as this program's FreeType draws
// them. Without the font file it writes a source with no face, and every glyph is drawn at run
// time as before.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/display_text.h"
#include "platform/os/exception.h"
#include "platform/text/font_face.h"
#include "platform/text/prebuilt_glyphs.h"

namespace tallyhouse::platform {

// The maker draws every glyph with FreeType itself.
std::span<const TPrebuiltFace> PrebuiltFaces() { return {}; }

namespace {

constexpr int kChartPixels = 11;  // 8 points at 96 pixels per inch

// The code points beyond Latin-1 that windows-1252 bytes stand for.
std::vector<char32_t> OtherCodes() {
    std::vector<char32_t> codes;
    for (int byte = 0x80; byte < 0xA0; ++byte) {
        const char32_t code = Windows1252Char(static_cast<unsigned char>(byte));
        if (code >= 256) codes.push_back(code);
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

std::string Bytes(std::span<const unsigned char> bytes) {
    std::string text;
    for (const unsigned char b : bytes) text += std::to_string(b) + ",";
    return text;
}

// One glyph's initialiser; its rows go to the end of bits.
std::string GlyphEntry(TFontFace& face, char32_t code, std::vector<unsigned char>& bits) {
    if (!face.OwnGlyph(code)) return "{},\n";
    const TGlyph& g = face.Glyph(code);
    const TGlyphBits& b = face.Bits(code);
    std::ostringstream out;
    out << "{true, " << (g.HasOutline ? "true" : "false") << ", " << g.Advance << ", {" << g.Box.xMin << ", " << g.Box.yMin
        << ", " << g.Box.xMax << ", " << g.Box.yMax << "}, " << b.Left << ", " << b.Top << ", " << b.Width << ", "
        << b.Height << ", " << b.Pitch << ", " << bits.size() << "},\n";
    bits.insert(bits.end(), b.Bits.begin(), b.Bits.end());
    return out.str();
}

std::string FaceSource(TFontFileBytes file, int pixels) {
    TFontFace face(file, pixels, false, false);
    std::vector<unsigned char> bits;
    std::string latin1, others, otherCodes;
    for (char32_t code = 0; code < 256; ++code) latin1 += GlyphEntry(face, code, bits);
    for (const char32_t code : OtherCodes()) {
        others += GlyphEntry(face, code, bits);
        otherCodes += std::to_string(code) + ",";
    }
    const TFontMetrics& m = face.Metrics();
    std::ostringstream out;
    out << "constexpr unsigned char kDirectory[] = {" << Bytes(TableDirectory(file)) << "};\n"
        << "constexpr TPrebuiltGlyph kLatin1[] = {\n" << latin1 << "};\n"
        << "constexpr char32_t kOtherCodes[] = {" << otherCodes << "};\n"
        << "constexpr TPrebuiltGlyph kOthers[] = {\n" << others << "};\n"
        << "constexpr unsigned char kBits[] = {" << Bytes(bits) << "0};\n"
        << "constexpr TPrebuiltFace kFaces[] = {{" << pixels << ", " << FreeTypeVersion(face.Library()) << ", "
        << file.size() << ", kDirectory, {" << m.Ascent << ", " << m.Descent << ", " << m.Height << "}, "
        << face.UnderlineOffset() << ", " << face.UnderlineThickness() << ", " << face.StrikeOutOffset() << ", "
        << face.StrikeOutThickness() << ", kLatin1, kOtherCodes, kOthers, kBits}};\n";
    return out.str();
}

}  // namespace

}  // namespace tallyhouse::platform

using namespace tallyhouse::platform;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_prebuilt_glyphs OUTPUT.cpp\n";
        return 2;
    }
    std::string faces = "std::span<const TPrebuiltFace> PrebuiltFaces() { return {}; }\n";
    try {
        const TFontFileBytes file = FontFileData("Arial", false, false);
        faces = "namespace {\n\n" + FaceSource(file, kChartPixels) +
                "\n}  // namespace\n\nstd::span<const TPrebuiltFace> PrebuiltFaces() { return kFaces; }\n";
    } catch (const Exception& e) {
        std::cerr << "make_prebuilt_glyphs: no glyphs prebuilt: " << e.what() << "\n";
    }
    std::ofstream out(argv[1]);
    out << "// Written by make_prebuilt_glyphs when the program was built.\n"
        << "#include \"platform/text/prebuilt_glyphs.h\"\n\n"
        << "namespace tallyhouse::platform {\n\n"
        << faces << "\n}  // namespace tallyhouse::platform\n";
    out.close();
    return out ? 0 : 1;
}
