// Axis labels: the increment between value labels, label texts and widths, the resolved label
// style, and the placement of label texts beside the axis.
#include <algorithm>
#include <cmath>

#include "chart/model/axis.h"
#include "chart/model/chart.h"
#include "chart/model/format_number.h"
#include "chart/model/series_marks.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

double NextStep(double x) {
    if (!(x > 0) || !std::isfinite(x)) return 1;
    if (x >= 10) return NextStep(x / 10) * 10;
    if (x < 1) return NextStep(x * 10) * 0.1;
    if (x < 2) return 2;
    if (x < 5) return 5;
    return 10;
}

double TCustomChartAxis::ComputeIncrement() const {
    TRasterCanvas3D& canvas = chart_.Canvas();
    chart_.AssignCanvasFont(LabelsFont);
    const bool upright = labelsAngle_ == 90 || labelsAngle_ == 270;
    int s = 0;
    if (IsHorizontal() != upright)
        s = std::max(canvas.TextWidth(LabelText(RangeMax)), canvas.TextWidth(LabelText(RangeMin)));
    else
        s = canvas.FontHeight();
    if (labelsSeparation_ > 0) s += Round(labelsSeparation_ * 0.01 * s);
    const int length = IsDepth() ? chart_.DepthTotal : IsHorizontal() ? chart_.PlotWidth : chart_.PlotHeight;
    const int n = s <= 0 ? 1 : Round(static_cast<double>(length) / s);
    if (n <= 0) return 1e-12;
    double inc = increment_ > 0 ? increment_ : std::fabs(RangeSpan) >= 1 ? 1 : 1e-12;
    while (labelsSeparation_ > 0 && std::isfinite(inc) &&
           (std::fabs(RangeSpan / inc) >= 2147483647.0 || Round(RangeSpan / inc) > n))
        inc = NextStep(inc);
    return std::max(inc, 1e-12);
}

std::string TCustomChartAxis::LabelText(double value) const {
    std::string text = FormatNumber(AxisValuesFormat, value);
    if (LabelsMultiLine) std::replace(text.begin(), text.end(), ' ', '\r');
    return text;
}

int TCustomChartAxis::WidestLabel() const {
    TRasterCanvas3D& canvas = chart_.Canvas();
    const TAxisLabelStyle style = EffectiveLabelStyle();
    chart_.AssignCanvasFont(LabelsFont);
    int widest = 0;
    if (style == talText) {
        for (const TChartSeries* s : chart_.SeriesList)
            for (int i = 0; i < static_cast<int>(s->PointLabels.size()); ++i)
                widest = std::max(widest, WidestLine(canvas, s->PointLabel(i)));
    } else if (style == talMark) {
        for (const TChartSeries* s : chart_.SeriesList) {
            if (!s->Active()) continue;
            for (int i = 0; i < s->PointCount(); ++i) {
                const std::string text = s->MarkText(i);
                chart_.AssignCanvasFont(LabelsFont);
                widest = std::max(widest, WidestLine(canvas, text));
            }
        }
    } else if (style == talValue) {
        const double inc = ComputeIncrement();
        chart_.AssignCanvasFont(LabelsFont);
        const double first = RoundFirstLabel ? std::trunc(RangeMax / inc) * inc : RangeMax;
        const double last = RoundFirstLabel ? std::trunc(RangeMin / inc) * inc : RangeMin;
        widest = std::max(WidestLine(canvas, LabelText(first)), WidestLine(canvas, LabelText(last))) +
                 canvas.TextWidth(" ");
    }
    return widest;
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const {
    if (LabelStyle != talAuto) return LabelStyle;
    if (IsDepth()) {
        std::vector<int> slots;
        for (const TChartSeries* s : chart_.SeriesList)
            if (s->Active()) slots.push_back(s->ZOrder);
        std::sort(slots.begin(), slots.end());
        const bool shared = std::adjacent_find(slots.begin(), slots.end()) != slots.end();
        return shared ? talValue : talText;
    }
    const TChartSeries* associated = nullptr;
    for (const TChartSeries* s : chart_.SeriesList)
        if (s->Active() && s->UsesAxis(*this)) {
            associated = s;
            break;
        }
    if (!associated) return talNone;
    const bool valuesAreY = &associated->MainValues() == &associated->YValues;
    if (IsHorizontal() == valuesAreY) {
        const TChartSeries* first = FirstSeries();
        if (first && !first->PointLabels.empty() && !first->PointLabel(0).empty()) return talText;
    }
    return talValue;
}

void TCustomChartAxis::DrawLabelText(int pixel, const std::string& text) {
    TRasterCanvas3D& canvas = chart_.Canvas();
    std::string shown = text;
    if (LabelsMultiLine) std::replace(shown.begin(), shown.end(), ' ', '\r');
    const std::vector<std::string> lines = SplitLines(shown);
    const int n = static_cast<int>(lines.size());
    const int fh = canvas.FontHeight();
    canvas.Brush.Style = TBrushStyle::bsClear;
    const int z = side_ == Side::Top || side_ == Side::Right ? chart_.DepthTotal : 0;
    int x = pixel, y = LabelsEdge;
    switch (side_) {
        case Side::Bottom: canvas.SetTextAlign(TA_CENTER | TA_TOP); break;
        case Side::Top:
            canvas.SetTextAlign(TA_CENTER | TA_BOTTOM);
            y = LabelsEdge - n * fh + fh;
            break;
        case Side::Left:
        case Side::Right:
        case Side::Depth:
            canvas.SetTextAlign(side_ == Side::Left ? TA_RIGHT | TA_TOP : TA_LEFT | TA_TOP);
            x = LabelsEdge;
            y = pixel - fh / 2 - Round(fh * 0.5 * (n + 1)) + fh;
            break;
    }
    for (const std::string& line : lines) {
        if (labelsAngle_ == 0)
            canvas.TextAtZ(x, y, z, line);
        else
            canvas.RotatedTextAtZ(x, y, z, line, labelsAngle_);
        y += fh;
    }
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
}

}  // namespace tallyhouse::chart
