// Vertical bars: slots across the plot's width, marks above the bars.
#include "chart/series/bar_series.h"

#include "chart/model/chart.h"

namespace tallyhouse::chart {

TBarSeries::TBarSeries() { YValues.Name = "Balken"; }

bool TBarSeries::ClassIncludes(const TChartSeries& s) const { return dynamic_cast<const TBarSeries*>(&s) != nullptr; }

int TBarSeries::SlotSize(int n) const { return ParentChart()->PlotWidth / n; }

int TBarSeries::MarkExtent(int) const {
    ParentChart()->AssignCanvasFont(Marks.Font);
    return Canvas().FontHeight();
}

void TBarSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    const int half = BarWidth / 2;
    int rise = Marks.ArrowLength;
    if (OriginPixel(i) < PointPixelY(i)) rise = -rise - position.BoxHeight;
    position.BoxLeftTop.X += half;
    position.BoxLeftTop.Y -= rise;
    position.ArrowEnd.X += half;
    position.ArrowEnd.Y -= rise;
    position.ArrowStart.X += half;
    TChartSeries::PaintMark(i, text, position);
}

}  // namespace tallyhouse::chart
