// Lays the GIFs of a gallery out on one PNG contact sheet, each decoded with giflib (not the
// program's own code) and shrunk to fit its cell when larger.
// Usage: gallery_contact OUT.png TITLE GIF CAPTION [GIF CAPTION ...]
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "tools/png_file.h"
#include "tools/sheet.h"

using namespace tallyhouse::platform;

namespace {

constexpr int kCellWidth = 400;
constexpr int kCellHeight = 250;

std::optional<TBitmap> DecodeFirstFrame(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> owner(gif, [](GifFileType* g) {
        int e = 0;
        DGifCloseFile(g, &e);
    });
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return std::nullopt;
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (!map) return std::nullopt;
    TBitmap bitmap(gif->SWidth, gif->SHeight, clWhite);
    for (int y = 0; y < image.ImageDesc.Height; ++y)
        for (int x = 0; x < image.ImageDesc.Width; ++x) {
            const int index = image.RasterBits[y * image.ImageDesc.Width + x];
            if (index >= map->ColorCount) continue;
            const GifColorType c = map->Colors[index];
            bitmap.SetPixel(image.ImageDesc.Left + x, image.ImageDesc.Top + y, RGB(c.Red, c.Green, c.Blue));
        }
    return bitmap;
}

// Draws the picture centred in the cell, every n-th pixel when it is n times too large.
TSheet::CellPainter PictureCell(std::shared_ptr<TBitmap> picture) {
    return [picture](TBitmap& target, const TRect& cell) {
        const int step = std::max({1, (picture->Width() + cell.Width() - 1) / cell.Width(),
                                   (picture->Height() + cell.Height() - 1) / cell.Height()});
        const int w = picture->Width() / step, h = picture->Height() / step;
        const int left = cell.Left + (cell.Width() - w) / 2, top = cell.Top + (cell.Height() - h) / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) target.SetPixel(left + x, top + y, picture->GetPixel(x * step, y * step));
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (argc - 3) % 2 != 0) {
        std::fprintf(stderr, "usage: %s OUT.png TITLE GIF CAPTION [GIF CAPTION ...]\n", argv[0]);
        return 2;
    }
    TSheet sheet(argv[2], 3, kCellWidth, kCellHeight);
    for (int i = 3; i + 1 < argc; i += 2) {
        std::optional<TBitmap> picture = DecodeFirstFrame(argv[i]);
        if (!picture) {
            std::fprintf(stderr, "%s: not a readable GIF\n", argv[i]);
            return 1;
        }
        sheet.Add(argv[i + 1], PictureCell(std::make_shared<TBitmap>(std::move(*picture))));
    }
    WritePng(sheet.Render(), argv[1]);
    return 0;
}
