// TCustomChartAxis: the value range, the mapping between values and pixels, the room the axis
// takes beside the plot and its setters.
#include "chart/model/axis.h"

#include <algorithm>
#include <cmath>

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TCustomChartAxis::TCustomChartAxis(TCustomAxisPanel& chart, Side side) : chart_(chart), side_(side) {
    LabelsFont.Size = 8;
    Title.Font.Size = 8;
    if (side == Side::Left) Title.Angle = 90;
    if (side == Side::Right) Title.Angle = 270;
}

// Setters.

void TCustomChartAxis::SetMinimum(double value) {
    if (value > maximum_) throw AxisException("Wert f\xFCr Achsenminimum mu\xDF <= Maximum sein.");
    minimum_ = value;
    chart_.Invalidate();
}

void TCustomChartAxis::SetMaximum(double value) {
    if (value < minimum_) throw AxisException("Wert f\xFCr Achsenmaximum mu\xDF >= Minimum sein.");
    maximum_ = value;
    chart_.Invalidate();
}

void TCustomChartAxis::SetMinMax(double minimum, double maximum) {
    if (minimum > maximum) throw AxisException("Wert f\xFCr Achsenminimum mu\xDF <= Maximum sein.");
    minimum_ = minimum;
    maximum_ = maximum;
    chart_.Invalidate();
}

void TCustomChartAxis::SetIncrement(double value) {
    if (value < 0) throw AxisException("Achsen-Steigung mu\xDF >= 0 sein.");
    increment_ = value;
    chart_.Invalidate();
}

void TCustomChartAxis::SetLogarithmic(bool value) {
    if (value && DateTimeValues) throw AxisException("Datum/Uhrzeit-Achse darf kein Logarithmus sein.");
    if (value && (RangeMin < 0 || RangeMax < 0))
        throw AxisException("Minimum- und Maximumwerte der logarithmischen Achse m\xFCssen >= 0 sein.");
    logarithmic_ = value;
    chart_.Invalidate();
}

void TCustomChartAxis::SetLabelsAngle(int value) {
    if (value < 0 || value > 360)
        throw AxisException("Achsenbeschriftung-Winkel mu\xDF zwischen 0 und 359 Grad liegen.");
    labelsAngle_ = value == 360 ? 0 : value;
    chart_.Invalidate();
}

void TCustomChartAxis::SetLabelsSeparation(int value) {
    if (value < 0) throw AxisException("Beschriftungssabstand mu\xDF gr\xF6\xDF" "er als 0 sein.");
    labelsSeparation_ = value;
    chart_.Invalidate();
}

// Range.

bool TCustomChartAxis::IsSeriesAxis(const TChartSeries& series) const {
    if (IsDepth()) return false;
    return IsHorizontal() ? series.GetHorizAxis() == this : series.GetVertAxis() == this;
}

TChartSeries* TCustomChartAxis::FirstSeries() const {
    for (TChartSeries* s : chart_.SeriesList)
        if (s->Active() && IsSeriesAxis(*s)) return s;
    return nullptr;
}

void TCustomChartAxis::AdjustRange() {
    if (IsDepth()) {
        AutomaticDepthRange();
    } else {
        bool anyMax = false, anyMin = false;
        double highest = 0, lowest = 0;
        for (TChartSeries* s : chart_.SeriesList) {
            if (!s->Active() || s->PointCount() == 0 || !IsSeriesAxis(*s)) continue;
            const double h = IsHorizontal() ? s->HighestX() : s->HighestY();
            const double l = IsHorizontal() ? s->LowestX() : s->LowestY();
            if (!anyMax || h > highest) highest = h;
            if (!anyMin || l < lowest || std::isnan(lowest)) lowest = l;
            anyMax = anyMin = true;
        }
        if (Automatic || AutomaticMaximum) maximum_ = highest;
        if (Automatic || AutomaticMinimum) minimum_ = lowest;
    }
    RangeMin = minimum_;
    RangeMax = maximum_;
    RangeSpan = RangeMax - RangeMin;
}

void TCustomChartAxis::AutomaticDepthRange() {
    if (EffectiveLabelStyle() != talValue) {
        minimum_ = -0.5;
        maximum_ = chart_.TopZOrder + 0.5;
        return;
    }
    const TChartSeries* first = chart_.FirstActiveSeries();
    minimum_ = first ? first->LowestZ() : 0;
    maximum_ = first ? first->HighestZ() : 0;
}

void TCustomChartAxis::SetPixelRange(const TRect& margins) {
    const TRect& plot = chart_.PlotRect;
    TRect moved = plot;
    moved.Left += margins.Left;
    moved.Right -= margins.Right;
    moved.Top += margins.Top;
    moved.Bottom -= margins.Bottom;
    if (IsHorizontal()) {
        const double low = PixelToValueIn(plot.Left, moved);
        const double high = PixelToValueIn(plot.Right, moved);
        RangeMin = low;
        RangeMax = high;
    } else {
        const double low = PixelToValueIn(plot.Bottom, moved);
        const double high = PixelToValueIn(plot.Top, moved);
        RangeMin = low;
        RangeMax = high;
    }
    if (RangeMin > RangeMax) std::swap(RangeMin, RangeMax);
    RangeSpan = RangeMax - RangeMin;
}

// Mapping.

double TCustomChartAxis::LogOrLinear(double value) const {
    if (!logarithmic_) return (value - RangeMin) / RangeSpan;
    if (value <= 0 || RangeMin <= 0 || RangeMax <= 0 || RangeMax == RangeMin) return 0;
    return (std::log(value) - std::log(RangeMin)) / (std::log(RangeMax) - std::log(RangeMin));
}

int TCustomChartAxis::ValueToPixelX(double value) const {
    if (RangeSpan == 0) return chart_.PlotXCenter;
    const double t = chart_.PlotWidth * LogOrLinear(value);
    return Inverted ? chart_.PlotRect.Right - Round(t) : chart_.PlotRect.Left + Round(t);
}

int TCustomChartAxis::ValueToPixelY(double value) const {
    if (RangeSpan == 0) return chart_.PlotYCenter;
    const double t = -chart_.PlotHeight * LogOrLinear(value);
    return Inverted ? chart_.PlotRect.Top - Round(t) : chart_.PlotRect.Bottom + Round(t);
}

int TCustomChartAxis::ValueToDepth(double value) const {
    if (RangeSpan == 0) return chart_.DepthTotal;
    return Round(chart_.DepthTotal * LogOrLinear(value));
}

int TCustomChartAxis::ValueToPixel(double value) const {
    if (IsDepth()) return ValueToDepth(value);
    return IsHorizontal() ? ValueToPixelX(value) : ValueToPixelY(value);
}

double TCustomChartAxis::PixelToValueIn(int pixel, const TRect& plot) const {
    if (IsHorizontal() || IsDepth()) {
        if (plot.Width() < 1) return 0;
        const int offset = Inverted ? plot.Right - pixel : pixel - plot.Left;
        return RangeSpan * offset / plot.Width() + RangeMin;
    }
    if (plot.Height() < 1) return 0;
    const int offset = Inverted ? plot.Bottom - pixel : pixel - plot.Top;
    return RangeMax - offset * RangeSpan / plot.Height();
}

double TCustomChartAxis::PixelToValue(int pixel) const { return PixelToValueIn(pixel, chart_.PlotRect); }

// Room beside the plot.

int TCustomChartAxis::WallSize() const {
    if (side_ == Side::Left || side_ == Side::Bottom) return chart_.WallSizeForAxis(*this);
    return 0;
}

int TCustomChartAxis::TickRoom() const {
    int room = Axis.Visible ? Axis.Width : 0;
    int ticks = Ticks.Visible ? TickLength : 0;
    if (MinorTicks.Visible) ticks = std::max(ticks, MinorTickLength);
    return room + ticks + WallSize();
}

namespace {

// Moves the given side of rect inward by size and answers the new edge.
int MoveSide(TRect& rect, TCustomChartAxis::Side side, int size) {
    switch (side) {
        case TCustomChartAxis::Side::Left: return rect.Left += size;
        case TCustomChartAxis::Side::Top: return rect.Top += size;
        case TCustomChartAxis::Side::Bottom: return rect.Bottom -= size;
        case TCustomChartAxis::Side::Right:
        case TCustomChartAxis::Side::Depth: break;
    }
    return rect.Right -= size;
}

bool IsUpright(int angle) { return angle == 90 || angle == 270; }

}  // namespace

TRect TCustomChartAxis::ShrinkPlotRect(TRect rect) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    if (!Title.Caption.empty()) {
        int size = TitleSize;
        if (size == 0) {
            chart_.AssignCanvasFont(Title.Font);
            const bool alongAxis = IsHorizontal() != IsUpright(Title.Angle);
            size = alongAxis ? canvas.FontHeight() : canvas.TextWidth(Title.Caption);
        }
        TitleEdge = MoveSide(rect, side_, size);
    }
    if (Labels) {
        int size = LabelsSize;
        if (size == 0) {
            const bool alongAxis = IsHorizontal() != IsUpright(LabelsAngle());
            if (alongAxis) {
                chart_.AssignCanvasFont(LabelsFont);
                size = canvas.FontHeight();
            } else {
                size = WidestLabel();
            }
        }
        LabelsEdge = MoveSide(rect, side_, size);
    }
    const int room = TickRoom();
    if (room > 0) MoveSide(rect, side_, room);
    return rect;
}

}  // namespace tallyhouse::chart
