// Lays out the cells in rows under their section captions and paints each one clipped to itself.
#include "tools/sheet.h"

#include <algorithm>

#include "tools/png_file.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr int kCaptionHeight = 16;
constexpr int kSectionHeight = 22;
constexpr int kTitleHeight = 30;
constexpr int kGap = 6;

TRect Offset(const TRect& r, int dx, int dy) { return Rect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy); }

}  // namespace

TSheet::TSheet(std::string title, int columns, int cellWidth, int cellHeight)
    : title_(std::move(title)), columns_(std::max(1, columns)), cellWidth_(cellWidth), cellHeight_(cellHeight) {}

void TSheet::Section(const std::string& caption) { pendingSection_ = caption; }

void TSheet::Add(const std::string& caption, CellPainter paint) {
    Cell cell{caption, std::move(paint), !pendingSection_.empty(), pendingSection_};
    pendingSection_.clear();
    cells_.push_back(std::move(cell));
}

TBitmap TSheet::Render() const {
    struct Placed { TRect frame; const Cell* cell; int sectionY; };
    std::vector<Placed> placed;
    const int rowHeight = kCaptionHeight + cellHeight_ + kGap;
    int y = kTitleHeight, column = 0;
    bool rowOpen = false;
    for (const Cell& cell : cells_) {
        if (cell.sectionStart || column == columns_) {
            if (rowOpen) y += rowHeight;
            column = 0;
            rowOpen = false;
        }
        int sectionY = -1;
        if (cell.sectionStart) {
            sectionY = y;
            y += kSectionHeight;
        }
        const int x = kGap + column * (cellWidth_ + kGap);
        const int top = y + kCaptionHeight;
        placed.push_back({Rect(x, top, x + cellWidth_, top + cellHeight_), &cell, sectionY});
        rowOpen = true;
        ++column;
    }
    if (rowOpen) y += rowHeight;
    const int width = kGap + columns_ * (cellWidth_ + kGap);
    TBitmap sheet(width, y + kGap, clWhite);
    TRasterCanvas canvas(&sheet);
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.Font.Size = 12;
    canvas.Font.Style = fsBold;
    canvas.TextOut(kGap, 6, title_);
    for (const Placed& p : placed) {
        canvas.ClearClip();
        canvas.Pen = TPen{};
        canvas.Brush.Style = TBrushStyle::bsClear;
        if (p.sectionY >= 0) {
            canvas.Font.Size = 10;
            canvas.Font.Style = fsBold;
            canvas.TextOut(kGap, p.sectionY + 4, p.cell->section);
        }
        canvas.Font.Size = 8;
        canvas.Font.Style = 0;
        canvas.SetClipRect(Rect(p.frame.Left, p.frame.Top - kCaptionHeight, p.frame.Right, p.frame.Top));
        canvas.TextOut(p.frame.Left, p.frame.Top - kCaptionHeight + 2, p.cell->caption);
        canvas.ClearClip();
        p.cell->paint(sheet, p.frame);
        canvas.ClearClip();
        canvas.Pen = TPen{};
        canvas.Pen.Color = clSilver;
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Rectangle(p.frame.Left - 1, p.frame.Top - 1, p.frame.Right + 1, p.frame.Bottom + 1);
    }
    return sheet;
}

std::string TSheet::Write(const std::string& name, const std::string& folder) const {
    const std::string path = (folder.empty() ? std::string(TALLYHOUSE_SHEET_DIR) : folder) + "/" + name + ".png";
    WritePng(Render(), path);
    return path;
}

TSheet::CellPainter CanvasCell(TCanvasScene scene, std::function<void(TRasterCanvas3D&, const TRect& plot)> draw) {
    return [scene, draw](TBitmap& target, const TRect& cell) {
        TRasterCanvas3D canvas;
        canvas.SetBuffered(false);
        TRect work;
        canvas.BeginView(&target, &scene.view, work, cell, scene.is3D);
        const TRect plot = Offset(scene.plot, cell.Left, cell.Top);
        canvas.SetViewCentre(scene.depth, cell, plot);
        canvas.SetClipRect(cell);
        draw(canvas, plot);
        canvas.ClearClip();
    };
}
