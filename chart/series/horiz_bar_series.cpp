// Horizontal bars: slots down the plot's height, marks after the bars.
#include "chart/series/horiz_bar_series.h"

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"

namespace tallyhouse::chart {

THorizBarSeries::THorizBarSeries() {
    XValues.Name = "Balken";
    XValues.Order = loNone;
}

bool THorizBarSeries::ClassIncludes(const TChartSeries& s) const {
    return dynamic_cast<const THorizBarSeries*>(&s) != nullptr;
}

void THorizBarSeries::FillSampleValues(int numValues) {
    if (numValues <= 0) throw BarException("FillSampleValues NumValues m\xFCssen > 0 sein.");
    TCustomBarSeries::FillSampleValues(numValues);
}

int THorizBarSeries::SlotSize(int n) const { return ParentChart()->PlotHeight / n; }

int THorizBarSeries::MarkExtent(int i) const {
    if (i == -1) return MaxMarkWidth();
    ParentChart()->AssignCanvasFont(Marks.Font);
    return Canvas().TextWidth(MarkText(i));
}

void THorizBarSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    const int half = BarWidth / 2;
    int reach = Marks.ArrowLength;
    if (PointPixelX(i) < OriginPixel(i)) reach = -reach - position.BoxWidth;
    position.BoxLeftTop.X += reach + position.BoxWidth / 2;
    position.BoxLeftTop.Y += half + position.BoxHeight / 2;
    position.ArrowEnd.X += reach;
    position.ArrowEnd.Y += half;
    position.ArrowStart.Y += half;
    TChartSeries::PaintMark(i, text, position);
}

}  // namespace tallyhouse::chart
