// Bar thickness, origin, stacking, margins and depth slots shared by vertical and horizontal bars.
#include "chart/series/custom_bar_series.h"

#include <algorithm>

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"
#include "chart/model/covered_drawings.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TCustomBarSeries::TCustomBarSeries() {
    BarBrush.Color = AutoColor;
    Marks.Visible = true;
    Marks.ArrowLength = 20;
}

void TCustomBarSeries::SetBarWidthPercent(int value) {
    if (value < 1 || value > 100)
        throw BarException("Prozentwert f\xFCr Balkenbreite mu\xDF zwischen 1 und 100 liegen.");
    if (value == barWidthPercent_) return;
    barWidthPercent_ = value;
    Repaint();
}

void TCustomBarSeries::SetOffsetPercent(int value) {
    if (value < -100 || value > 100)
        throw BarException("Prozentwert f\xFCr Balken-Offset mu\xDF zwischen -100% und 100% liegen.");
    if (value == offsetPercent_) return;
    offsetPercent_ = value;
    Repaint();
}

void TCustomBarSeries::SetMultiBar(TMultiBar value) {
    if (value == multiBar_) return;
    multiBar_ = value;
    Repaint();
}

int TCustomBarSeries::SideSeriesCount() const {
    const TCustomChart* chart = ParentChart();
    if (!chart) return 1;
    int count = 0;
    for (const TChartSeries* s : chart->SeriesList)
        if (s == this || (s->Active() && SameClass(*s))) ++count;
    return std::max(1, count);
}

int TCustomBarSeries::SideOrder() const {
    const TCustomChart* chart = ParentChart();
    if (!chart) return 1;
    int order = 1;
    for (const TChartSeries* s : chart->SeriesList) {
        if (s == this) break;
        if (s->Active() && SameClass(*s)) ++order;
    }
    return order;
}

int TCustomBarSeries::LargestSidePointCount() const {
    int n = PointCount();
    if (const TCustomChart* chart = ParentChart())
        for (const TChartSeries* s : chart->SeriesList)
            if (s->Active() && SameClass(*s)) n = std::max(n, s->PointCount());
    return n;
}

int TCustomBarSeries::CategoryGroups() const { return multiBar_ == mbSide ? SideSeriesCount() : 1; }

void TCustomBarSeries::CalcBarWidth() {
    if (CustomThickness() != 0) {
        BarWidth = CustomThickness();
        return;
    }
    int n = multiBar_ == mbSide ? LargestSidePointCount() : PointCount();
    if (const TCustomChart* chart = ParentChart(); chart && chart->MaxPointsPerPage > 0) n = chart->MaxPointsPerPage;
    BarWidth = n < 1 ? 0 : BarWidthFor(SlotSize(SideMargins ? n + 1 : n), barWidthPercent_, CategoryGroups());
}

int TCustomBarSeries::ValuePixel(double value) const { return ValueAxis()->ValueToPixel(value); }

int TCustomBarSeries::CategoryEdgePixel(double category) const {
    const TEdgeOffset asked{multiBar_, IsVertical(), SideOrder(), SideSeriesCount(), BarWidth, offsetPercent_};
    // The same for every bar of a draw: worked out again only when what it depends on changes.
    if (!(edgeOffset_ && edgeOffset_->first == asked))
        edgeOffset_.emplace(asked, BarEdgeOffset(asked.multiBar, asked.vertical, asked.order, asked.groups,
                                                 asked.barWidth, asked.offsetPercent));
    return CategoryAxis()->ValueToPixel(category) + edgeOffset_->second;
}

int TCustomBarSeries::ValueEndPixel(int i) const {
    const double below = StackedSum(i, false);
    switch (multiBar_) {
        case mbStacked:
            return ValuePixel(BarValue(i) + below);
        case mbStacked100: {
            const double total = StackedSum(i, true);
            return total == 0 ? 0 : ValuePixel((BarValue(i) + below) * 100 / total);
        }
        default:
            return IsVertical() ? TChartSeries::PointPixelY(i) : TChartSeries::PointPixelX(i);
    }
}

int TCustomBarSeries::OriginPixel(int i) const {
    switch (multiBar_) {
        case mbStacked:
            return ValuePixel(StackedSum(i, false));
        case mbStacked100: {
            const double total = StackedSum(i, true);
            return total == 0 ? 0 : ValuePixel(StackedSum(i, false) * 100 / total);
        }
        default:
            if (UseYOrigin) return ValuePixel(YOrigin);
            return IsVertical() ? ParentChart()->PlotRect.Bottom : ParentChart()->PlotRect.Left;
    }
}

double TCustomBarSeries::StackedSum(int i, bool includeSelf) const {
    if (multiBar_ == mbStacked || multiBar_ == mbStacked100) return TChartSeries::StackedSum(i, includeSelf);
    return YOrigin;
}

TBarValueRange TCustomBarSeries::ValueRange() const {
    double stackedTop = 0;
    if (multiBar_ == mbStacked)
        for (int i = 0; i < PointCount(); ++i) stackedTop = std::max(stackedTop, BarValue(i) + StackedSum(i, false));
    const TChartValueList& values = MainValues();
    return BarValueRange(multiBar_, values.LowestValue(), values.HighestValue(), stackedTop, UseYOrigin, YOrigin);
}

int TCustomBarSeries::MarkRoom() const {
    if (PointCount() == 0 || !Marks.Visible) return 0;
    int room = MarkExtent(-1) + Marks.ArrowLength;
    if (Marks.Frame.Visible) room += 2 * Marks.Frame.Width;
    return room > 0 ? room + 1 : room;
}

void TCustomBarSeries::HorizontalMargins(int& left, int& right) {
    if (IsVertical())
        CategoryMargins(left, right);
    else
        ValueMargins(left, right);
}

void TCustomBarSeries::VerticalMargins(int& top, int& bottom) {
    if (IsVertical())
        ValueMargins(bottom, top);
    else
        CategoryMargins(top, bottom);
}

void TCustomBarSeries::CategoryMargins(int& low, int& high) {
    CalcBarWidth();
    int margin = CategoryGroups() * BarWidth;
    if (!SideMargins) margin /= 2;
    low = high = margin;
}

void TCustomBarSeries::ValueMargins(int& nearEnd, int& farEnd) {
    nearEnd = farEnd = 0;
    const int room = MarkRoom();
    if (!UseYOrigin || MainValues().HighestValue() > YOrigin) {
        // Bars hanging from an inverted vertical axis also leave room for the depth of their slot.
        if (ValueAxis()->Inverted)
            nearEnd += room + (IsVertical() ? ParentChart()->SlotDepthY : 0);
        else
            farEnd += room;
    }
    if (UseYOrigin && MainValues().LowestValue() < YOrigin) nearEnd += room;
}

void TCustomBarSeries::BeginDrawPoints() {
    TChartSeries::BeginDrawPoints();
    CalcBarWidth();
}

TCustomBarSeries::TBarPlace TCustomBarSeries::PlaceOf(int i) const {
    TBarPlace place;
    place.drawn = PointColor(i) != clNone;
    if (!place.drawn) return place;
    const int valueEnd = IsVertical() ? PointPixelY(i) : PointPixelX(i);
    const int origin = OriginPixel(i);
    if (IsVertical()) {
        const int left = PointPixelX(i);
        place.rect = TRect{left, valueEnd, left + BarWidth, origin};
    } else {
        const int top = PointPixelY(i);
        place.rect = TRect{origin, top, valueEnd, top + BarWidth};
    }
    place.start = std::min(valueEnd, origin);
    place.end = std::max(valueEnd, origin);
    return place;
}

void TCustomBarSeries::DrawAt(int i, const TBarPlace& place) {
    BarColor = PointColor(i);
    if (!place.drawn) return;
    BarLeft = place.rect.Left;
    BarTop = place.rect.Top;
    BarRight = place.rect.Right;
    BarBottom = place.rect.Bottom;
    DrawBar(i, place.start, place.end);
}

void TCustomBarSeries::DrawPoint(int i) { DrawAt(i, PlaceOf(i)); }

bool TCustomBarSeries::LaterBarsHideEarlierOnes() const {
    return BarPen.Mode == TPenMode::pmCopy && !OnGetBarStyle;
}

// Many more bars than pixels put whole runs of bars on the same pixels: of such a run only the
// last drawn can be seen, and drawing only that one gives the same picture.
void TCustomBarSeries::DrawPoints() {
    if (FirstVisible < 0) return;
    const int step = DrawsPointsForward() ? 1 : -1;
    const int first = step > 0 ? FirstVisible : LastVisible;
    const int stop = (step > 0 ? LastVisible : FirstVisible) + step;
    const bool hide = SkipCoveredDrawings && LaterBarsHideEarlierOnes();
    TBarPlace place = PlaceOf(first);
    for (int i = first; i != stop; i += step) {
        ParentChart()->DrawingGoesOn(i);
        const bool last = i + step == stop;
        const TBarPlace next = last ? TBarPlace{} : PlaceOf(i + step);
        if (!(hide && next.drawn && next == place)) DrawAt(i, place);
        place = next;
    }
}

bool TCustomBarSeries::DrawsPointsForward() const {
    const TChartAxis* axis = CategoryAxis();
    return !axis || !axis->Inverted;
}

bool TCustomBarSeries::DrawsSeriesForward(int i) const {
    if (multiBar_ == mbNone || multiBar_ == mbSide) return true;
    const bool inverted = ValueAxis() && ValueAxis()->Inverted;
    return BarValue(i) >= 0 ? !inverted : inverted;
}

void TCustomBarSeries::ClaimDepthSlot() {
    if (multiBar_ != mbNone && ParentChart()) {
        for (const TChartSeries* s : ParentChart()->SeriesList) {
            if (s == this) break;
            if (s->Active() && SameClass(*s)) {
                ZOrder = s->ZOrder;
                return;
            }
        }
    }
    TChartSeries::ClaimDepthSlot();
}

void TCustomBarSeries::LegendFill(int, TColor& backColor, TBrushStyle& brushStyle) {
    TRasterCanvas3D& canvas = Canvas();
    canvas.AssignChartPen(BarPen);
    brushStyle = BarBrush.Style;
    backColor = BarBrush.Color == AutoColor ? ParentChart()->Color : BarBrush.Color;
    canvas.Brush.Bitmap = BarBrush.Bitmap;
}

}  // namespace tallyhouse::chart
