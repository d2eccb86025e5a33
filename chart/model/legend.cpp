// TChartLegend: item texts, the measured legend box at its side of the plot, its drawing and the
// room it takes from the plot rectangle.
#include "chart/model/legend.h"

#include <algorithm>

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"
#include "chart/model/format_number.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

struct TCustomChartLegend::Layout {
    int fh = 0;
    int count = 0;
    int w = 0;
    int rows = 0;
    int perRow = 1;
    int shown = 0;
    TRect rect;
    int tx = 0;
    bool sideways = true;
};

TCustomChartLegend::TCustomChartLegend(TCustomChart& chart) : chart_(chart) { Font.Size = 8; }

void TCustomChartLegend::SetColorWidth(int value) {
    if (value < 0 || value > 100)
        throw LegendException("Farbbreite f\xFCr Legende mu\xDF zwischen 0 und 100% liegen.");
    colorWidth_ = value;
    chart_.Invalidate();
}

void TCustomChartLegend::SetTopPos(int value) {
    if (value < 0 || value > 100)
        throw LegendException("Position der oberen Legende mu\xDF zwischen 0 und 100% liegen.");
    topPos_ = value;
    chart_.Invalidate();
}

void TCustomChartLegend::SetFirstValue(int value) {
    if (value < 0) throw LegendException("Erster Wert f\xFCr Legende mu\xDF > 0 sein.");
    firstValue_ = value;
    chart_.Invalidate();
}

// Items.

TLegendStyle TCustomChartLegend::ResolvedStyle() const {
    if (LegendStyle != lsAuto) return LegendStyle;
    return chart_.ActiveSeriesCount() < 2 ? lsValues : lsSeries;
}

int TCustomChartLegend::ShownItemCount() const {
    int count = 0;
    if (ResolvedStyle() == lsValues) {
        const TChartSeries* first = chart_.FirstActiveSeries();
        count = first && first->ShowInLegend ? first->LegendItemCount() - firstValue_ : 0;
    } else {
        count = static_cast<int>(std::count_if(chart_.SeriesList.begin(), chart_.SeriesList.end(),
                                               [](const TChartSeries* s) { return s->Active() && s->ShowInLegend; })) -
                firstValue_;
    }
    return std::max(count, 0);
}

TChartSeries* TCustomChartLegend::ItemSeries(int index) const {
    int k = 0;
    for (TChartSeries* s : chart_.SeriesList) {
        if (!s->Active() || !s->ShowInLegend) continue;
        if (k++ == index) return s;
    }
    return nullptr;
}

std::string TCustomChartLegend::ItemText(int index) const {
    std::string text;
    switch (ResolvedStyle()) {
        case lsValues: {
            const TChartSeries* first = chart_.FirstActiveSeries();
            if (first) text = chart_.FormatLegendText(*first, index);
            break;
        }
        case lsLastValues: {
            const TChartSeries* s = ItemSeries(index);
            if (s && s->PointCount() > 0) text = chart_.FormatLegendText(*s, s->PointCount() - 1);
            break;
        }
        case lsSeries:
        case lsAuto: {
            const TChartSeries* s = ItemSeries(index);
            if (s) text = !s->Title.empty() ? s->Title : !s->Name.empty() ? s->Name : "Series " + std::to_string(index + 1);
            break;
        }
    }
    if (chart_.OnGetLegendText) chart_.OnGetLegendText(chart_, index, text);
    return text;
}

std::string TCustomChart::FormatLegendText(const TChartSeries& series, int index) const {
    const int i = series.LegendItemToPoint(index);
    std::string text = series.PointLabel(i);
    std::replace(text.begin(), text.end(), '\r', ' ');
    if (Legend.TextStyle == ltsPlain) return text;
    const double v = series.MarkValue(i);
    const double total = series.MainValues().SumOfMagnitudes();
    const double p = total != 0 ? v * 100 / total : 100;
    const std::string vt = FormatNumber(series.ValueFormat, v);
    const std::string pt = FormatNumber(series.PercentFormat, p);
    switch (Legend.TextStyle) {
        case ltsLeftValue: return vt + " " + text;
        case ltsRightValue: return text + " " + vt;
        case ltsLeftPercent: return pt + " " + text;
        case ltsRightPercent: return text + " " + pt;
        case ltsXValue: {
            const TChartAxis* axis = series.GetHorizAxis();
            return axis ? axis->LabelText(series.PointX(i)) : FormatNumber(series.ValueFormat, series.PointX(i));
        }
        case ltsPlain: break;
    }
    return text;
}

// Layout.

int TCustomChartLegend::WidestText(int first, int count) const {
    TRasterCanvas3D& canvas = chart_.Canvas();
    int widest = 0;
    for (int i = first; i < first + count; ++i) {
        chart_.DrawingGoesOn(i);
        const std::string text = ItemText(i);
        widest = std::max(widest, canvas.TextWidth(text));
    }
    return widest;
}

int TCustomChartLegend::ItemsPerRow(int itemWidth) const {
    const int fw = Frame.Width;
    if (chart_.PlotRect.Right <= 8 || itemWidth <= 0) return 0;
    return std::max(0, std::min(ShownItemCount(), (chart_.PlotWidth - 2 * fw - 8) / itemWidth));
}

void TCustomChartLegend::MeasureVertical(Layout& l) const {
    const TRect& plot = chart_.PlotRect;
    const int fw = Frame.Width;
    const int frameRoom = Frame.Visible ? fw + 1 : 0;
    switch (Alignment) {
        case laTop:
        case laBottom:
            l.sideways = false;
            l.perRow = ItemsPerRow(l.w + BoxWidth + 8);
            l.rows = l.perRow > 0 ? 1 : 0;
            if (Alignment == laTop) {
                l.rect.Top = plot.Top + frameRoom;
                l.rect.Bottom = l.rect.Top + l.fh * l.rows + 2;
            } else {
                l.rect.Bottom = plot.Bottom - ShadowSize - frameRoom;
                l.rect.Top = l.rect.Bottom - l.fh * l.rows - 2;
            }
            l.shown = l.rows * l.perRow;
            break;
        case laLeft:
        case laRight: {
            const TRect& panel = chart_.PanelRect;
            l.rect.Top = panel.Top + Round(static_cast<double>(topPos_) * panel.Height() / 100);
            l.rows = l.rect.Top >= plot.Bottom || l.fh <= 0
                         ? 0
                         : std::min(l.count, (chart_.PlotHeight + plot.Top - 2 * fw - l.rect.Top) / l.fh);
            l.rows = std::max(l.rows, 0);
            l.rect.Bottom = l.rect.Top + l.fh * l.rows + 2;
            l.shown = l.rows;
            break;
        }
    }
}

void TCustomChartLegend::MeasureHorizontal(Layout& l) {
    const TRect& plot = chart_.PlotRect;
    const int fw = Frame.Width;
    const int frameRoom = Frame.Visible ? fw + 1 : 0;
    if (Alignment == laLeft || Alignment == laRight) {
        const int w = WidestText(firstValue_, l.rows);
        l.w = w;
        const int box = Round(static_cast<double>(w + 10) * colorWidth_ / 100);
        if (Alignment == laLeft) {
            l.rect.Left = plot.Left + frameRoom;
            l.tx = l.rect.Left + 4 + box + 4;
            l.rect.Right = l.rect.Left + box + w + 10;
        } else {
            l.rect.Right = plot.Right - frameRoom - ShadowSize;
            l.tx = l.rect.Right - w - 2;
            l.rect.Left = l.tx - box - 8;
        }
        BoxWidth = box;
        return;
    }
    const TRect& panel = chart_.PanelRect;
    const int d = std::min(chart_.PlotWidth, 2 * ShadowSize + (BoxWidth + l.w + 4) * l.perRow + 8);
    const int offset = Round(static_cast<double>(topPos_) * (panel.Width() - d) / 100);
    l.rect.Left = chart_.PlotXCenter + offset - d / 2;
    l.rect.Right = chart_.PlotXCenter + offset + d / 2;
    l.tx = l.rect.Left + BoxWidth + 8;
}

void TCustomChartLegend::PaintLegend() {
    TRasterCanvas3D& canvas = chart_.Canvas();
    chart_.AssignCanvasFont(Font);
    Layout l;
    l.fh = canvas.FontHeight();
    l.count = ShownItemCount();
    l.w = WidestText(firstValue_, l.count) + 4;
    BoxWidth = Round(static_cast<double>(l.w) * colorWidth_ / 100);
    MeasureVertical(l);
    MeasureHorizontal(l);
    if (chart_.OnGetLegendRect) chart_.OnGetLegendRect(chart_, l.rect);
    LegendRect = l.rect;
    if (l.shown < 1) return;
    DrawFrameAndShadow(l);
    DrawItems(l);
    ShrinkPlot(l);
}

// Drawing.

void TCustomChartLegend::DrawFrameAndShadow(const Layout& l) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    const int fw = Frame.Width;
    TRect frame = l.rect;
    if (Frame.Visible) frame = TRect{frame.Left - fw, frame.Top - fw, frame.Right + fw, frame.Bottom + fw};
    const int e = Frame.Visible ? ShadowSize + fw + (fw - 1) / 2 : ShadowSize - 1;
    if (ShadowSize > 0) {
        canvas.Brush = TBrush{ShadowColor, TBrushStyle::bsSolid, nullptr};
        canvas.FillRect(TRect{l.rect.Left + ShadowSize, l.rect.Top + ShadowSize, l.rect.Right + e, l.rect.Bottom + e});
    }
    canvas.AssignChartPen(Frame);
    if (Frame.Color == AutoColor) canvas.Pen.Color = clBlack;
    canvas.Brush = TBrush{Color, TBrushStyle::bsSolid, nullptr};
    canvas.RectangleR(frame);
}

void TCustomChartLegend::DrawItems(const Layout& l) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    const TColor boxPen = Color == clBlack ? clWhite : clBlack;
    for (int j = 0; j < l.shown; ++j) {
        const int index = Inverted ? firstValue_ + l.shown - 1 - j : firstValue_ + j;
        int x = l.tx, y = l.rect.Top + 1;
        if (l.sideways)
            y += l.fh * j;
        else
            x += (j % l.perRow) * (l.w + BoxWidth + 4);
        if (chart_.OnGetLegendPos) chart_.OnGetLegendPos(chart_, index, x, y);
        const std::string text = ItemText(index);
        chart_.AssignCanvasFont(Font);
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.SetTextAlign(TA_LEFT | TA_TOP);
        canvas.TextOut(x, y, text);
        if (!text.empty()) DrawColorBox(index, TRect{x - 4 - BoxWidth, y + 2, x - 4, y + l.fh - 2}, boxPen);
        if (j > 0 && DividingLines.Visible) {
            canvas.AssignChartPen(DividingLines);
            canvas.SetBkMode(TRANSPARENT);
            if (l.sideways)
                canvas.HorizLine(l.rect.Left, l.rect.Right, y);
            else
                canvas.VertLine(x - BoxWidth - 8, l.rect.Top, l.rect.Bottom);
            canvas.SetBkMode(OPAQUE);
        }
    }
}

void TCustomChartLegend::DrawColorBox(int index, const TRect& box, TColor boxPen) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    canvas.Pen = TPen{boxPen, 1, psSolid, TPenMode::pmCopy};
    TChartSeries* series = ResolvedStyle() == lsValues ? chart_.FirstActiveSeries() : ItemSeries(index);
    if (!series) {
        canvas.Brush = TBrush{clWhite, TBrushStyle::bsSolid, nullptr};
        canvas.RectangleR(box);
    } else if (ResolvedStyle() == lsValues) {
        series->PaintLegendSymbol(series->LegendItemToPoint(index), box);
    } else {
        series->PaintLegendSymbol(-1, box);
    }
}

void TCustomChartLegend::ShrinkPlot(const Layout& l) {
    TRect& plot = chart_.PlotRect;
    const int width = chart_.PlotWidth, height = chart_.PlotHeight;
    if (ResizeChart) {
        switch (Alignment) {
            case laLeft: plot.Left = l.rect.Right; break;
            case laRight: plot.Right = l.rect.Left; break;
            case laTop: plot.Top = l.rect.Bottom + ShadowSize; break;
            case laBottom: plot.Bottom = l.rect.Top; break;
        }
    }
    const int horiz = HorizMargin != 0 ? HorizMargin : MulDiv(3, width, 100);
    const int vert = VertMargin != 0 ? VertMargin : MulDiv(4, height, 100);
    switch (Alignment) {
        case laLeft: plot.Left += horiz; break;
        case laRight: plot.Right -= horiz; break;
        case laTop: plot.Top += vert; break;
        case laBottom: plot.Bottom -= vert; break;
    }
    chart_.RecalcWidthHeight();
}

}  // namespace tallyhouse::chart
