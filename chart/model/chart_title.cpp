// TChartTitle: the title's lines drawn at the top (or the foot's at the bottom) of the plot.
#include "chart/model/chart_title.h"

#include <algorithm>

#include "chart/model/chart.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TChartTitle::TChartTitle(TCustomChart& chart, bool atTop) : chart_(chart), atTop_(atTop) {
    Font.Size = 8;
    Font.Color = clBlue;
}

int TChartTitle::FrameWidth() const { return Frame.Visible && Frame.Color != AutoColor ? Frame.Width : 0; }

void TChartTitle::PaintTitle() {
    if (!Visible) return;
    TRasterCanvas3D& canvas = chart_.Canvas();
    chart_.AssignCanvasFont(Font);
    canvas.Brush = Brush;
    if (Brush.Color == AutoColor) canvas.Brush.Style = TBrushStyle::bsClear;
    const bool counted = Frame.Visible && Frame.Color != AutoColor;
    const int lines = static_cast<int>(Text.size());
    if (lines == 0 && !counted) return;
    const int fw = FrameWidth();
    const int fh = canvas.FontHeight();
    const TRect& plot = chart_.PlotRect;
    const int left = plot.Left + fw, right = plot.Right - fw;
    const int y = atTop_ ? plot.Top + fw : plot.Bottom - fw + 5;
    const int e = atTop_ ? y - 5 : plot.Bottom - fw;
    TitleRect = TRect{left, y, right, e};
    if (atTop_)
        TitleRect.Bottom = y + lines * fh;
    else
        TitleRect.Top = e - lines * fh;
    TitleRect = TRect{TitleRect.Left - Frame.Width, TitleRect.Top - Frame.Width, TitleRect.Right + Frame.Width,
                      TitleRect.Bottom + Frame.Width};
    if (counted) {
        int widest = 0;
        for (const std::string& line : Text) widest = std::max(widest, canvas.TextWidth(line));
        if (AdjustFrame) AdjustToFrame(widest, Frame.Width);
        canvas.AssignChartPen(Frame);
        canvas.RectangleR(TitleRect);
    }
    DrawLines(fh, y, e);
    const int outward = counted ? 2 * Frame.Width : 0;
    if (atTop_)
        chart_.PlotRect.Top = y + lines * fh + 5 + outward;
    else
        chart_.PlotRect.Bottom = e - lines * fh - 5 - outward;
    chart_.RecalcWidthHeight();
}

void TChartTitle::AdjustToFrame(int widest, int frameWidth) {
    const int c = widest + 2 * frameWidth;
    switch (Alignment) {
        case taLeftJustify: TitleRect.Right = TitleRect.Left + c; break;
        case taRightJustify: TitleRect.Left = TitleRect.Right - c; break;
        case taCenter: {
            const int mid = (TitleRect.Left + TitleRect.Right) / 2;
            const int half = 2 * frameWidth + c / 2;
            TitleRect.Left = mid - half;
            TitleRect.Right = mid + half;
            break;
        }
    }
}

void TChartTitle::DrawLines(int fh, int y, int e) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    canvas.SetBkMode(TRANSPARENT);
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    const int left = chart_.PlotRect.Left + FrameWidth(), right = chart_.PlotRect.Right - FrameWidth();
    const int n = static_cast<int>(Text.size());
    for (int k = 0; k < n; ++k) {
        const std::string& line = Text[static_cast<std::size_t>(k)];
        const int width = canvas.TextWidth(line);
        int x = (left + right) / 2 - width / 2;
        if (Alignment == taLeftJustify) x = left;
        if (Alignment == taRightJustify) x = right - width;
        const int top = atTop_ ? y + k * fh : e - (n - k) * fh;
        canvas.TextOut(x, top, line);
    }
    canvas.SetBkMode(OPAQUE);
}

}  // namespace tallyhouse::chart
