// Finding the prebuilt face of a font file: same size, same FreeType, same table directory.
#include "platform/text/prebuilt_glyphs.h"

#include <algorithm>

namespace tallyhouse::platform {

long FreeTypeVersion(FT_Library library) {
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(library, &major, &minor, &patch);
    return major * 10000L + minor * 100L + patch;
}

std::span<const unsigned char> TableDirectory(TFontFileBytes file) {
    if (file.size() < 12) return {};
    const std::size_t tables = static_cast<std::size_t>(file[4]) << 8 | file[5];
    const std::size_t size = 12 + 16 * tables;
    return size <= file.size() ? file.first(size) : std::span<const unsigned char>();
}

const TPrebuiltFace* FindPrebuiltFace(TFontFileBytes file, int pixels, FT_Library library) {
    for (const TPrebuiltFace& face : PrebuiltFaces()) {
        if (face.Pixels != pixels || face.FileSize != file.size()) continue;
        const std::span<const unsigned char> directory = TableDirectory(file);
        if (std::ranges::equal(directory, face.Directory) && face.FreeTypeVersion == FreeTypeVersion(library)) return &face;
    }
    return nullptr;
}

const TPrebuiltGlyph* FindPrebuiltGlyph(const TPrebuiltFace& face, char32_t code) {
    const TPrebuiltGlyph* glyph = nullptr;
    if (code < face.Latin1.size()) {
        glyph = &face.Latin1[code];
    } else {
        const auto it = std::ranges::lower_bound(face.OtherCodes, code);
        if (it != face.OtherCodes.end() && *it == code) glyph = &face.Others[static_cast<std::size_t>(it - face.OtherCodes.begin())];
    }
    return glyph != nullptr && glyph->Present ? glyph : nullptr;
}

}  // namespace tallyhouse::platform
