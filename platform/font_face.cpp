// FreeType faces per thread (FreeType objects are not shared between threads); the file bytes
// are shared by the whole process.
#include "platform/font_face.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>

#include "platform/arith.h"
#include "platform/exception.h"
#include "platform/font_files.h"

namespace {

// Glyphs taller than this cannot be seen whole on any chart; larger sizes are drawn at it.
constexpr int kMaxPixels = 16384;
constexpr std::size_t kMaxFaces = 64;

struct TThreadFonts {
    FT_Library library = nullptr;
    std::map<std::tuple<const void*, int>, std::unique_ptr<TFontFace>> faces;
    // The face asked for last, by what picks it: a chart measures and draws many texts in one font.
    TFontFace* last = nullptr;
    std::tuple<std::string, bool, bool, int> lastKey;
    TThreadFonts() {
        if (FT_Init_FreeType(&library) != 0) throw Exception("FreeType could not be initialised");
    }
    ~TThreadFonts() {
        faces.clear();
        FT_Done_FreeType(library);
    }
};

TThreadFonts& ThreadFonts() {
    thread_local TThreadFonts fonts;
    return fonts;
}

int Scale(long units, int pixels, int unitsPerEm) {
    return MulDiv(static_cast<int>(units), pixels, unitsPerEm > 0 ? unitsPerEm : 2048);
}

}  // namespace

int FontPixels(const TFont& font) {
    // A negative size counts like its magnitude rather than collapsing to one pixel.
    const long long size = std::llabs(static_cast<long long>(font.Size));
    const long long ppi = font.PixelsPerInch > 0 ? font.PixelsPerInch : 96;
    return static_cast<int>(std::clamp<long long>((size * ppi * 2 + 72) / 144, 1, kMaxPixels));
}

TFontFace& TFontFace::For(const TFont& font) {
    TThreadFonts& fonts = ThreadFonts();
    if (fonts.last && std::get<0>(fonts.lastKey) == font.Name && std::get<1>(fonts.lastKey) == font.Has(fsBold) &&
        std::get<2>(fonts.lastKey) == font.Has(fsItalic) && std::get<3>(fonts.lastKey) == FontPixels(font))
        return *fonts.last;
    const TFontFileBytes file = FontFileData(font.Name, font.Has(fsBold), font.Has(fsItalic));
    const auto key = std::make_tuple(static_cast<const void*>(file.data()), FontPixels(font));
    auto it = fonts.faces.find(key);
    if (it == fonts.faces.end()) {
        if (fonts.faces.size() >= kMaxFaces) fonts.faces.clear();
        it = fonts.faces.emplace(key, std::make_unique<TFontFace>(file, FontPixels(font))).first;
    }
    fonts.last = it->second.get();
    fonts.lastKey = std::make_tuple(font.Name, font.Has(fsBold), font.Has(fsItalic), FontPixels(font));
    return *fonts.last;
}

TGlyphBits RenderOutline(FT_Library library, FT_Outline& outline, long long ox, long long oy, int left, int top,
                         int width, int height) {
    TGlyphBits out{left, top, width, height, (width + 7) / 8, {}};
    out.Bits.assign(static_cast<std::size_t>(out.Pitch) * static_cast<std::size_t>(height), 0);
    FT_Bitmap bitmap{};
    bitmap.rows = static_cast<unsigned>(height);
    bitmap.width = static_cast<unsigned>(width);
    bitmap.pitch = out.Pitch;
    bitmap.buffer = out.Bits.data();
    bitmap.num_grays = 2;
    bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
    // FreeType's bitmap has y upward from its bottom row: window row r is screen row top + r.
    FT_Outline_Translate(&outline, static_cast<FT_Pos>(ox - 64LL * left), static_cast<FT_Pos>(64LL * (top + height) - oy));
    if (FT_Outline_Get_Bitmap(library, &outline, &bitmap) != 0) std::fill(out.Bits.begin(), out.Bits.end(), 0);
    return out;
}

TFontFace::TFontFace(TFontFileBytes file, int pixels) : pixels_(pixels) {
    advances_.fill(-1);
    if (FT_New_Memory_Face(ThreadFonts().library, file.data(), static_cast<FT_Long>(file.size()), 0, &face_) != 0) {
        throw Exception("Font file could not be read");
    }
    FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels));
    const int em = face_->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 != nullptr) {
        metrics_.Ascent = Scale(os2->usWinAscent, pixels, em);
        metrics_.Descent = Scale(os2->usWinDescent, pixels, em);
        strikeout_offset_ = Scale(os2->yStrikeoutPosition, pixels, em);
        strikeout_thickness_ = std::max(1, Scale(os2->yStrikeoutSize, pixels, em));
    } else {
        metrics_.Ascent = Scale(face_->ascender, pixels, em);
        metrics_.Descent = Scale(-face_->descender, pixels, em);
        strikeout_offset_ = metrics_.Ascent / 3;
    }
    metrics_.Height = metrics_.Ascent + metrics_.Descent;
    underline_thickness_ = std::max(1, Scale(face_->underline_thickness, pixels, em));
    underline_offset_ = std::max(1, Scale(-face_->underline_position, pixels, em) - underline_thickness_ / 2);
}

TFontFace::~TFontFace() {
    for (std::size_t i = 0; i < glyphs_.size(); ++i) {
        if (loaded_[i] && glyphs_[i].Outline != nullptr) FT_Done_Glyph(glyphs_[i].Outline);
    }
    FT_Done_Face(face_);
}

FT_Library TFontFace::Library() const { return ThreadFonts().library; }

const TGlyph& TFontFace::Glyph(unsigned char code) {
    TGlyph& g = glyphs_[code];
    if (loaded_[code]) return g;
    loaded_[code] = true;
    if (FT_Load_Char(face_, code, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) return g;
    g.Advance = static_cast<int>((face_->glyph->advance.x + 32) >> 6);
    if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE || FT_Get_Glyph(face_->glyph, &g.Outline) != 0) {
        g.Outline = nullptr;
        return g;
    }
    FT_Glyph_Get_CBox(g.Outline, FT_GLYPH_BBOX_SUBPIXELS, &g.Box);
    return g;
}

const TGlyphBits& TFontFace::Bits(unsigned char code) {
    TGlyphBits& bits = bits_[code];
    if (rendered_[code]) return bits;
    rendered_[code] = true;
    const TGlyph& g = Glyph(code);
    if (g.Outline == nullptr) return bits;
    FT_Glyph copy = nullptr;
    if (FT_Glyph_Copy(g.Outline, &copy) != 0) return bits;
    const int left = static_cast<int>(g.Box.xMin >> 6), right = static_cast<int>((g.Box.xMax + 63) >> 6);
    const int top = static_cast<int>(-((g.Box.yMax + 63) >> 6)), bottom = static_cast<int>(-(g.Box.yMin >> 6));
    if (right > left && bottom > top) {
        bits = RenderOutline(Library(), reinterpret_cast<FT_OutlineGlyph>(copy)->outline, 0, 0, left, top, right - left,
                             bottom - top);
    }
    FT_Done_Glyph(copy);
    return bits;
}

int TFontFace::TextWidth(std::string_view text) {
    long long width = 0;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        int& advance = advances_[code];
        if (advance < 0) advance = Glyph(code).Advance;
        width += advance;
    }
    return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
}
