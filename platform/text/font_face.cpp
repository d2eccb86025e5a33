// FreeType faces per thread (FreeType objects are not shared between threads); the file bytes
// are shared by the whole process.
#include "platform/text/font_face.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>

#include "platform/raster/arith.h"
#include "platform/text/display_text.h"
#include "platform/os/exception.h"
#include "platform/text/font_files.h"

namespace tallyhouse::platform {

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

// C0, DEL and C1 controls keep the chart face's own glyph (its box), as they always were drawn.
bool IsControl(char32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

bool Has(FT_Face face, char32_t code) { return face != nullptr && FT_Get_Char_Index(face, code) != 0; }

void FreeOutline(const TGlyph& glyph) {
    if (glyph.Outline != nullptr) FT_Done_Glyph(glyph.Outline);
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
        it = fonts.faces.emplace(key, std::make_unique<TFontFace>(file, FontPixels(font), font.Has(fsBold))).first;
    }
    fonts.last = it->second.get();
    fonts.lastKey = std::make_tuple(font.Name, font.Has(fsBold), font.Has(fsItalic), FontPixels(font));
    return *fonts.last;
}

TGlyphBits RenderOutline(FT_Library library, FT_Outline& outline, long long ox, long long oy, int left, int top,
                         int width, int height) {
    TGlyphBits out{left, top, width, height, (width + 7) / 8, {}, {}};
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
    out.FindRuns();
    return out;
}

void TGlyphBits::FindRuns() {
    Runs.clear();
    for (int r = 0; r < Height; ++r) {
        for (int c = 0; c < Width; ++c) {
            if (!Ink(c, r)) continue;
            int end = c + 1;
            while (end < Width && Ink(end, r)) ++end;
            Runs.push_back(TInkRun{r, c, end});
            c = end;
        }
    }
}

TFontFace::TFontFace(TFontFileBytes file, int pixels, bool bold, bool prebuilt)
    : file_(file), bold_(bold), pixels_(pixels) {
    advances_.fill(-1);
    ascii_advances_.fill(-1);
    windows1252_advances_.fill(-1);
    if (prebuilt) prebuilt_ = FindPrebuiltFace(file, pixels, Library());
    if (prebuilt_ == nullptr) {
        MeasureFace();
        return;
    }
    metrics_ = prebuilt_->Metrics;
    underline_offset_ = prebuilt_->UnderlineOffset;
    underline_thickness_ = prebuilt_->UnderlineThickness;
    strikeout_offset_ = prebuilt_->StrikeOutOffset;
    strikeout_thickness_ = prebuilt_->StrikeOutThickness;
}

FT_Face TFontFace::Face() {
    if (face_ != nullptr) return face_;
    if (FT_New_Memory_Face(Library(), file_.data(), static_cast<FT_Long>(file_.size()), 0, &face_) != 0) {
        face_ = nullptr;
        throw Exception("Font file could not be read");
    }
    FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels_));
    return face_;
}

void TFontFace::MeasureFace() {
    FT_Face face = Face();
    const int em = face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr) {
        metrics_.Ascent = Scale(os2->usWinAscent, pixels_, em);
        metrics_.Descent = Scale(os2->usWinDescent, pixels_, em);
        strikeout_offset_ = Scale(os2->yStrikeoutPosition, pixels_, em);
        strikeout_thickness_ = std::max(1, Scale(os2->yStrikeoutSize, pixels_, em));
    } else {
        metrics_.Ascent = Scale(face->ascender, pixels_, em);
        metrics_.Descent = Scale(-face->descender, pixels_, em);
        strikeout_offset_ = metrics_.Ascent / 3;
    }
    metrics_.Height = metrics_.Ascent + metrics_.Descent;
    underline_thickness_ = std::max(1, Scale(face->underline_thickness, pixels_, em));
    underline_offset_ = std::max(1, Scale(-face->underline_position, pixels_, em) - underline_thickness_ / 2);
}

TFontFace::~TFontFace() {
    for (const auto& cell : latin1_)
        if (cell) FreeOutline(cell->Glyph);
    for (const auto& [code, cell] : others_) FreeOutline(cell.Glyph);
    FreeOutline(missing_.Glyph);
    if (fallback_ != nullptr) FT_Done_Face(fallback_);
    if (face_ != nullptr) FT_Done_Face(face_);
}

FT_Library TFontFace::Library() const { return ThreadFonts().library; }

// Opened on the first character this face lacks, so most charts never touch the fallback file.
FT_Face TFontFace::FallbackFace() {
    if (fallback_opened_) return fallback_;
    fallback_opened_ = true;
    const TFontFileBytes file = FallbackFontData(bold_);
    if (file.empty() || FT_New_Memory_Face(Library(), file.data(), static_cast<FT_Long>(file.size()), 0, &fallback_) != 0) {
        fallback_ = nullptr;
        return nullptr;
    }
    FT_Set_Pixel_Sizes(fallback_, 0, static_cast<FT_UInt>(pixels_));
    return fallback_;
}

TFontFace::TGlyphCell& TFontFace::Cell(char32_t code) {
    if (code < latin1_.size()) {
        std::unique_ptr<TGlyphCell>& cell = latin1_[code];
        if (!cell) cell = std::make_unique<TGlyphCell>();
        return *cell;
    }
    const auto it = others_.find(code);
    if (it != others_.end()) return it->second;
    if (!OwnGlyph(code) && !Has(FallbackFace(), code)) return missing_;
    return others_[code];
}

bool TFontFace::OwnGlyph(char32_t code) {
    return IsControl(code) || (prebuilt_ != nullptr && FindPrebuiltGlyph(*prebuilt_, code) != nullptr) ||
           Has(Face(), code);
}

void TFontFace::Load(char32_t code, TGlyph& g) {
    const TPrebuiltGlyph* prebuilt = prebuilt_ != nullptr ? FindPrebuiltGlyph(*prebuilt_, code) : nullptr;
    if (prebuilt == nullptr) {
        LoadOutline(code, g);
        return;
    }
    g.Advance = prebuilt->Advance;
    g.Box = prebuilt->Box;
    g.HasOutline = prebuilt->HasOutline;
}

void TFontFace::LoadOutline(char32_t code, TGlyph& g) {
    FT_Face face = OwnGlyph(code) || !Has(FallbackFace(), code) ? Face() : fallback_;
    if (FT_Load_Char(face, code, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) return;
    g.Advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || FT_Get_Glyph(face->glyph, &g.Outline) != 0) {
        g.Outline = nullptr;
        return;
    }
    g.HasOutline = true;
    FT_Glyph_Get_CBox(g.Outline, FT_GLYPH_BBOX_SUBPIXELS, &g.Box);
}

const TGlyph& TFontFace::Loaded(TGlyphCell& cell, char32_t code) {
    if (!cell.Loaded) {
        cell.Loaded = true;
        Load(code, cell.Glyph);
    }
    return cell.Glyph;
}

const TGlyph& TFontFace::Glyph(char32_t code) { return Loaded(Cell(code), code); }

FT_Glyph TFontFace::Outline(char32_t code) {
    TGlyphCell& cell = Cell(code);
    const TGlyph& g = Loaded(cell, code);
    if (g.HasOutline && g.Outline == nullptr) LoadOutline(code, cell.Glyph);
    return cell.Glyph.Outline;
}

const TGlyphBits& TFontFace::Bits(char32_t code) {
    TGlyphCell& cell = Cell(code);
    const TGlyph& g = Loaded(cell, code);
    TGlyphBits& bits = cell.Bits;
    if (cell.Rendered) return bits;
    cell.Rendered = true;
    if (const TPrebuiltGlyph* p = prebuilt_ != nullptr ? FindPrebuiltGlyph(*prebuilt_, code) : nullptr) {
        const unsigned char* rows = prebuilt_->Bits + p->BitsAt;
        bits = TGlyphBits{p->Left, p->Top, p->Width, p->Height, p->Pitch, {rows, rows + p->Pitch * p->Height}, {}};
        bits.FindRuns();
        return bits;
    }
    if (!g.HasOutline) return bits;
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

int TFontFace::Advance(char32_t code) {
    if (code >= advances_.size()) return Glyph(code).Advance;
    return advances_[code] = Glyph(code).Advance;
}

int TFontFace::TextWidth(std::u32string_view codes) {
    long long width = 0;
    for (const char32_t code : codes) width += AdvanceOf(code);
    return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
}

// ASCII reads the same by either half of the rule; most texts are ASCII, and the others are read
// by the rule only from their first byte above it (the part before is ASCII, so this is the rule
// for the whole text).
int TFontFace::TextWidth(std::string_view bytes) {
    long long width = 0;
    std::size_t i = 0;
    for (; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        int advance = ascii_advances_[byte];
        if (advance < 0) {
            if (byte >= 0x80) break;
            advance = ascii_advances_[byte] = Advance(byte);
        }
        width += advance;
    }
    if (i < bytes.size()) {
        // A windows-1252 text nearly always shows itself at its first byte above ASCII.
        const std::string_view rest = bytes.substr(i);
        width += Utf8SequenceLength(rest, 0) == 0 ? Windows1252Width(rest) : Utf8Width(rest);
    }
    return static_cast<int>(std::min<long long>(width, 0x7FFFFFFF));
}

// Read as UTF-8 while it is measured; at the first sequence that is not, measured again as
// windows-1252.
long long TFontFace::Utf8Width(std::string_view bytes) {
    long long width = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t code = 0;
        if (!ReadUtf8Char(bytes, i, code)) return Windows1252Width(bytes);
        width += AdvanceOf(code);
    }
    return width;
}

long long TFontFace::Windows1252Width(std::string_view bytes) {
    long long width = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        int& advance = windows1252_advances_[byte];
        if (advance < 0) advance = AdvanceOf(Windows1252Char(byte));
        width += advance;
    }
    return width;
}

}  // namespace tallyhouse::platform
