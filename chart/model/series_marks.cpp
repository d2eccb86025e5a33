// TSeriesMarks: the stored mark layouts and the painter of one mark (arrow, box, text lines).
#include "chart/model/series_marks.h"

#include <algorithm>

#include "chart/model/chart.h"
#include "chart/model/chart_series.h"
#include "chart/model/covered_drawings.h"
#include "platform/text/display_text.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

// A text is cut into lines only after it has been read as a whole: in its UTF-8 form every line
// reads as the same characters on its own, while a windows-1252 "\xC3\xA9\r\xE9" cut as bytes
// would give a first line that reads as UTF-8.
std::vector<std::string> SplitLines(const std::string& text) {
    if (text.find('\r') == std::string::npos) return {text};
    const std::string whole = DisplayTextUtf8(text);
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const auto cr = whole.find('\r', start);
        lines.push_back(whole.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
        if (cr == std::string::npos) break;
        start = cr + 1;
    }
    return lines;
}

int LineCount(std::string_view text) { return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\r')); }

int WidestLine(TRasterCanvas& canvas, std::string_view text) {
    if (text.find('\r') == std::string_view::npos) return canvas.TextWidth(text);
    const std::string whole = DisplayTextUtf8(text);
    text = whole;
    int widest = 0;
    for (;;) {
        const auto cr = text.find('\r');
        widest = std::max(widest, canvas.TextWidth(text.substr(0, cr)));
        if (cr == std::string_view::npos) return widest;
        text.remove_prefix(cr + 1);
    }
}

TSeriesMarkPosition* TSeriesMarksPositions::Get(int i) const {
    if (i < 0 || i >= Count() || !present_[static_cast<std::size_t>(i)]) return nullptr;
    return &positions_[static_cast<std::size_t>(i)];
}

TSeriesMarkPosition& TSeriesMarksPositions::Ensure(int i) {
    const auto at = static_cast<std::size_t>(i);
    if (i >= Count()) {
        positions_.resize(at + 1);
        present_.resize(at + 1, false);
    }
    present_[at] = true;
    return positions_[at];
}

void TSeriesMarksPositions::Reserve(int count) {
    if (count <= 0) return;
    positions_.reserve(static_cast<std::size_t>(count));
    present_.reserve(static_cast<std::size_t>(count));
}

void TSeriesMarksPositions::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    positions_.erase(positions_.begin() + i);
    present_.erase(present_.begin() + i);
}

TSeriesMarks::TSeriesMarks(TChartSeries& series) : series_(series) {
    Font.Size = 8;
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle value) {
    if (value == style_) return;
    style_ = value;
    series_.Repaint();
}

int TSeriesMarks::FrameExtent() const { return Frame.Visible ? Frame.Width : 0; }

void TSeriesMarks::DrawMark(int index, const std::string& text, TSeriesMarkPosition& position, TColor pointColor) {
    TSeriesMarkPosition& stored = Positions.Ensure(index);
    if (stored.Fixed)
        position = stored;
    else
        stored = position;
    TCustomChart& chart = *series_.ParentChart();
    TRasterCanvas3D& canvas = chart.Canvas();
    // The arrow keeps its ends; only the box moves with the 3D view.
    if (chart.View3D) {
        const int d = position.ArrowEnd.Y - position.BoxLeftTop.Y;
        const TPoint p = canvas.ProjectPointOut(position.ArrowEnd.X, position.ArrowEnd.Y, ZPosition);
        position.BoxLeftTop = TPoint{p.X + position.BoxLeftTop.X - position.ArrowEnd.X, p.Y - d};
    }
    TMarkDrawing mark{text, position, pointColor, canvas.Font, canvas.GetBkMode(), canvas.GetBkColor(), ZPosition};
    if (!holding_) {
        Draw(mark);
        return;
    }
    if (held_ && !(SkipCoveredDrawings && LaterMarksHideEarlierOnes() && mark.Covers(*held_))) Draw(*held_);
    held_ = std::move(mark);
}

void TSeriesMarks::HoldMarks() {
    holding_ = true;
    held_.reset();
}

void TSeriesMarks::DrawHeldMark() {
    holding_ = false;
    if (held_) Draw(*held_);
    held_.reset();
}

void TSeriesMarks::DropHeldMark() {
    holding_ = false;
    held_.reset();
}

bool TSeriesMarks::TMarkDrawing::Covers(const TMarkDrawing& other) const {
    const TSeriesMarkPosition& a = position;
    const TSeriesMarkPosition& b = other.position;
    return text == other.text && a.ArrowStart == b.ArrowStart && a.ArrowEnd == b.ArrowEnd &&
           a.BoxLeftTop == b.BoxLeftTop && a.BoxWidth == b.BoxWidth && a.BoxHeight == b.BoxHeight &&
           font == other.font && bkMode == other.bkMode && z == other.z;
}

bool TSeriesMarks::LaterMarksHideEarlierOnes() const {
    return Arrow.Mode == TPenMode::pmCopy && Frame.Mode == TPenMode::pmCopy;
}

// Draws with the canvas settings the mark was laid out in, and leaves the canvas as it found it.
void TSeriesMarks::Draw(const TMarkDrawing& mark) {
    TRasterCanvas3D& canvas = series_.Canvas();
    const TFont font = canvas.Font;
    const int bkMode = canvas.GetBkMode();
    const TColor bkColor = canvas.GetBkColor();
    const int z = ZPosition;
    canvas.Font = mark.font;
    canvas.SetBkMode(mark.bkMode);
    canvas.SetBkColor(mark.bkColor);
    ZPosition = mark.z;
    DrawArrow(mark.position, mark.pointColor);
    DrawBox(mark.position);
    DrawText(mark.position, mark.text);
    canvas.Font = font;
    canvas.SetBkMode(bkMode);
    canvas.SetBkColor(bkColor);
    ZPosition = z;
}

void TSeriesMarks::DrawArrow(const TSeriesMarkPosition& position, TColor pointColor) {
    if (!Arrow.Visible) return;
    TCustomChart& chart = *series_.ParentChart();
    TRasterCanvas3D& canvas = chart.Canvas();
    canvas.AssignChartPen(Arrow);
    canvas.Brush.Style = TBrushStyle::bsClear;
    if (canvas.Pen.Color == pointColor || canvas.Pen.Color == chart.Color)
        canvas.Pen.Color = chart.Color == clBlack ? clWhite : clBlack;
    if (chart.View3D)
        canvas.LineAtZ(position.ArrowStart.X, position.ArrowStart.Y, position.ArrowEnd.X, position.ArrowEnd.Y, ZPosition);
    else
        canvas.Line(position.ArrowStart.X, position.ArrowStart.Y, position.ArrowEnd.X, position.ArrowEnd.Y);
}

void TSeriesMarks::DrawBox(const TSeriesMarkPosition& position) {
    if (!Frame.Visible && Transparent) return;
    TRasterCanvas3D& canvas = series_.Canvas();
    canvas.Brush.Color = BackColor;
    canvas.Brush.Style = Transparent ? TBrushStyle::bsClear : TBrushStyle::bsSolid;
    canvas.Brush.Bitmap = nullptr;
    canvas.AssignChartPen(Frame);
    const TRect box{position.BoxLeftTop.X, position.BoxLeftTop.Y, position.BoxLeftTop.X + position.BoxWidth,
                    position.BoxLeftTop.Y + position.BoxHeight};
    canvas.RectangleR(box);
}

void TSeriesMarks::DrawText(const TSeriesMarkPosition& position, const std::string& text) {
    TRasterCanvas3D& canvas = series_.Canvas();
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    const int x = position.BoxLeftTop.X + position.BoxWidth / 2;
    int y = position.BoxLeftTop.Y + FrameExtent();
    const int fh = canvas.FontHeight();
    for (const std::string& line : SplitLines(text)) {
        canvas.TextOut(x, y, line);
        y += fh;
    }
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
}

}  // namespace tallyhouse::chart
