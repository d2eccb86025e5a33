// The chart's class chain: panel metrics, the series list and the drawing pipeline.
#include "chart/model/chart.h"

#include <algorithm>

#include "chart/model/chart_exception.h"
#include "chart/model/palette.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TCustomChartPanel::TCustomChartPanel() : canvas_(std::make_unique<TRasterCanvas3D>()) {}

TCustomChartPanel::~TCustomChartPanel() = default;

void TCustomChartPanel::RecalcWidthHeight() {
    if (PlotRect.Left < PanelRect.Left) PlotRect.Left = PanelRect.Left;
    if (PlotRect.Top < PanelRect.Top) PlotRect.Top = PanelRect.Top;
    if (PlotRect.Right < PlotRect.Left)
        PlotRect.Right = PlotRect.Left + 1;
    else if (PlotRect.Right == PlotRect.Left)
        PlotRect.Right = PlotRect.Left + Width;
    if (PlotRect.Bottom < PlotRect.Top)
        PlotRect.Bottom = PlotRect.Top + 1;
    else if (PlotRect.Bottom == PlotRect.Top)
        PlotRect.Bottom = PlotRect.Top + Height;
    PlotWidth = PlotRect.Right - PlotRect.Left;
    PlotHeight = PlotRect.Bottom - PlotRect.Top;
    PlotXCenter = (PlotRect.Left + PlotRect.Right) / 2;
    PlotYCenter = (PlotRect.Top + PlotRect.Bottom) / 2;
}

void TCustomChartPanel::AssignCanvasFont(const TFont& font) {
    const int ppi = canvas_->Font.PixelsPerInch;
    canvas_->Font = font;
    canvas_->Font.PixelsPerInch = ppi;
}

void TCustomChartPanel::PaintTo(TBitmap& destination, const TRect& rect) {
    TRect work;
    canvas_->SetMonochrome(Monochrome);
    canvas_->BeginView(&destination, &View3DOptions, work, rect, View3D);
    PanelRect = work;
    const int w = work.Width(), h = work.Height();
    PlotRect = TRect{PanelRect.Left + MulDiv(MarginLeft(), w, 100) + BorderWidth,
                     PanelRect.Top + MulDiv(MarginTop(), h, 100) + BorderWidth,
                     PanelRect.Right - BorderWidth - MulDiv(MarginRight(), w, 100),
                     PanelRect.Bottom - BorderWidth - MulDiv(MarginBottom(), h, 100)};
    RecalcWidthHeight();
    DrawContents(PanelRect);
    canvas_->FlushToTarget(&destination, &destination, rect);
}

// Series and axes.

TCustomAxisPanel::TCustomAxisPanel()
    : LeftAxis(*this, TCustomChartAxis::Side::Left),
      TopAxis(*this, TCustomChartAxis::Side::Top),
      RightAxis(*this, TCustomChartAxis::Side::Right),
      BottomAxis(*this, TCustomChartAxis::Side::Bottom),
      DepthAxis(*this) {}

TCustomAxisPanel::~TCustomAxisPanel() {
    const TChartSeriesList series = SeriesList;
    for (TChartSeries* s : series) s->SetParentChart(nullptr);
}

void TCustomAxisPanel::SetChart3DPercent(int value) {
    if (value < 1 || value > 100)
        throw ChartException("3D-Effekt-Prozentangabe mu\xDF zwischen 1 und 100 liegen");
    if (value == chart3DPercent_) return;
    chart3DPercent_ = value;
    Invalidate();
}

int TCustomAxisPanel::ActiveSeriesCount() const {
    return static_cast<int>(std::count_if(SeriesList.begin(), SeriesList.end(),
                                          [](const TChartSeries* s) { return s->Active(); }));
}

TChartSeries* TCustomAxisPanel::FirstActiveSeries() const {
    for (TChartSeries* s : SeriesList)
        if (s->Active()) return s;
    return nullptr;
}

void TCustomAxisPanel::AddSeries(TChartSeries& series) {
    if (std::find(SeriesList.begin(), SeriesList.end(), &series) == SeriesList.end()) SeriesList.push_back(&series);
    Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries& series) {
    std::erase(SeriesList, &series);
    Invalidate();
}

bool TCustomAxisPanel::ColorAvailable(TColor color, bool checkBackground) const {
    if (checkBackground && (color == Color)) return false;
    return std::none_of(SeriesList.begin(), SeriesList.end(),
                        [color](const TChartSeries* s) { return s->SeriesColor() == color; });
}

TColor TCustomAxisPanel::FreeSeriesColor(bool checkBackground) const {
    for (int i = 0; i < static_cast<int>(DefaultPalette.size()); ++i)
        if (ColorAvailable(PaletteColor(i), checkBackground)) return PaletteColor(i);
    return PaletteColor(0);
}

bool TCustomAxisPanel::AxisDrawn(const TCustomChartAxis& axis) const {
    if (!AxisVisible || !axis.Visible) return false;
    if (axis.IsDepth()) return View3D;
    return std::any_of(SeriesList.begin(), SeriesList.end(), [&axis](const TChartSeries* s) {
        return s->Active() && s->UsesAxes() && s->UsesAxis(axis);
    });
}

std::string TCustomAxisPanel::FormatLegendText(const TChartSeries& series, int index) const {
    return series.LabelOrValue(series.LegendItemToPoint(index));
}

void TCustomAxisPanel::SetBrushForFill(TColor color, TBrushStyle style, TColor backColor) {
    TRasterCanvas3D& canvas = Canvas();
    if (style != TBrushStyle::bsSolid && color == backColor) color = backColor == clBlack ? clWhite : clBlack;
    canvas.Brush.Color = color;
    canvas.Brush.Style = style;
    canvas.Brush.Bitmap = nullptr;
    if (style != TBrushStyle::bsSolid) {
        canvas.SetBkMode(OPAQUE);
        canvas.SetBkColor(backColor);
    } else {
        canvas.SetBkMode(TRANSPARENT);
    }
}

// Decoration.

TCustomChart::TCustomChart() : Title(*this, true), Foot(*this, false), Legend(*this) {
    BackWall.Brush.Style = TBrushStyle::bsClear;
    LeftWall.Color = 0x80FFFF;
    BottomWall.Color = clWhite;
}

void TCustomChart::SetBackColor(TColor color) {
    BackWall.Color = color;
    BackWall.Brush.Style = TBrushStyle::bsSolid;
    Invalidate();
}

int TCustomChart::LeftWallSize() const { return View3D && View3DWalls ? LeftWall.Size : 0; }

int TCustomChart::BottomWallSize() const { return View3D && View3DWalls ? BottomWall.Size : 0; }

int TCustomChart::WallSizeForAxis(const TCustomChartAxis& axis) const {
    if (&axis == &LeftAxis) return LeftWallSize();
    if (&axis == &BottomAxis) return BottomWallSize();
    return 0;
}

void TCustomChart::PaintTitlesAndLegend() {
    const bool legend = Legend.Visible && ActiveSeriesCount() > 0;
    const auto titles = [this] {
        if (Title.Visible) Title.PaintTitle();
        if (Foot.Visible) Foot.PaintTitle();
    };
    if (!legend) {
        titles();
    } else if (Legend.Alignment == laLeft || Legend.Alignment == laRight) {
        Legend.PaintLegend();
        titles();
    } else {
        titles();
        Legend.PaintLegend();
    }
}

}  // namespace tallyhouse::chart
