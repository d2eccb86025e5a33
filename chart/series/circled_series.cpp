// Round series: the ellipse inside the plot rectangle and the chart settings a round series needs.
#include "chart/series/circled_series.h"

#include <algorithm>
#include <numbers>

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

// Screen pixels are square on the raster the chart draws into.
constexpr double DisplayAspect = 1.0;

bool IsActiveRound(const TChartSeries* s) { return s->Active() && dynamic_cast<const TCircledSeries*>(s); }

// A round pie keeps at least half the plot's shorter side: on a small chart the marks' room is
// cut to what that leaves, so the marks reach over the plot's edge instead of the pie vanishing.
void KeepRoundPieVisible(const TRect& plot, int& vertical, int& horizontal) {
    const int least = std::min(plot.Width(), plot.Height()) / 2;
    vertical = std::clamp(vertical, 0, std::max(0, (plot.Height() - least) / 2));
    horizontal = std::clamp(horizontal, 0, std::max(0, (plot.Width() - least) / 2));
}

}  // namespace

TCircledSeries::TCircledSeries() {
    RestrictToAxisRange = false;
    XValues.Name = "Winkel";
}

double TCircledSeries::RotationRadians() const { return rotationAngle_ * std::numbers::pi / 180; }

void TCircledSeries::SetRotationAngle(int value) {
    if (value < 0) throw PieException("Drehung-Winkel mu\xDF zwischen 0 und 359 Grad liegen.");
    value %= 360;
    if (value == rotationAngle_) return;
    rotationAngle_ = value;
    Repaint();
}

void TCircledSeries::ForOtherRoundSeries(const std::function<void(TCircledSeries&)>& apply) {
    Repaint();
    if (!ParentChart()) return;
    for (TChartSeries* s : ParentChart()->SeriesList)
        if (s != this && ClassIncludes(*s)) apply(static_cast<TCircledSeries&>(*s));
}

void TCircledSeries::SetCircled(bool value) {
    if (value == circled_) return;
    circled_ = value;
    ForOtherRoundSeries([value](TCircledSeries& s) { s.SetCircled(value); });
}

void TCircledSeries::SetCustomXRadius(int value) {
    if (value == customXRadius_) return;
    customXRadius_ = value;
    ForOtherRoundSeries([value](TCircledSeries& s) { s.SetCustomXRadius(value); });
}

void TCircledSeries::SetCustomYRadius(int value) {
    if (value == customYRadius_) return;
    customYRadius_ = value;
    ForOtherRoundSeries([value](TCircledSeries& s) { s.SetCustomYRadius(value); });
}

void TCircledSeries::AdjustChart(TCustomChart& chart) {
    const bool round = std::any_of(chart.SeriesList.begin(), chart.SeriesList.end(), IsActiveRound);
    chart.AxisVisible = !round;
    chart.ClipPoints = !round;
    chart.View3DWalls = !round;
    chart.Frame().Visible = !round;
    chart.BackWall.Brush.Style = round ? TBrushStyle::bsClear : TBrushStyle::bsSolid;
    chart.AllowZoom = !round;
    chart.AllowPanning = round ? TPanningMode::pmNone : TPanningMode::pmBoth;
    chart.View3DOptions.Orthogonal = false;
    chart.View3DOptions.Rotation = 360;
    chart.View3DOptions.Elevation = 315;
    chart.View3DOptions.Tilt = 0;
}

void TCircledSeries::SetActive(bool value) {
    if (value == Active()) return;
    TChartSeries::SetActive(value);
    if (ParentChart()) AdjustChart(*ParentChart());
}

void TCircledSeries::SetParentChart(TCustomChart* chart) {
    TCustomChart* previous = ParentChart();
    if (chart == previous) return;
    TChartSeries::SetParentChart(chart);
    if (previous) AdjustChart(*previous);
    if (chart) AdjustChart(*chart);
}

double TCircledSeries::HighestX() const { return GetHorizAxis() ? GetHorizAxis()->Maximum() : 0; }
double TCircledSeries::HighestY() const { return GetVertAxis() ? GetVertAxis()->Maximum() : 0; }
double TCircledSeries::LowestX() const { return GetHorizAxis() ? GetHorizAxis()->Minimum() : 0; }
double TCircledSeries::LowestY() const { return GetVertAxis() ? GetVertAxis()->Minimum() : 0; }

TPoint TCircledSeries::AngleToPos(double angle, int xRadius, int yRadius) const {
    return EllipsePoint(XCenter, YCenter, angle + RotationRadians(), xRadius, yRadius);
}

TColor TCircledSeries::CircleBackColorResolved() const {
    TColor color = CircleBackColor;
    if (color == AutoColor && ParentChart()) color = ParentChart()->BackColor();
    if (color == AutoColor && ParentChart()) color = ParentChart()->Color;
    return color;
}

void TCircledSeries::SetCircle(const TCircle& circle) { static_cast<TCircle&>(*this) = circle; }

int TCircledSeries::MarkRoomVertical() {
    ParentChart()->AssignCanvasFont(Marks.Font);
    int room = Canvas().FontHeight() + Marks.ArrowLength;
    if (Marks.Frame.Visible) room += 2 * Marks.Frame.Width;
    return room;
}

int TCircledSeries::MarkRoomHorizontal() {
    int widest = 0;
    for (const TChartSeries* s : ParentChart()->SeriesList)
        if (s->Active()) widest = std::max(widest, s->MaxMarkWidth());
    ParentChart()->AssignCanvasFont(Marks.Font);
    int room = Canvas().TextWidth("W") + widest + Marks.ArrowLength;
    if (Marks.Frame.Visible) room += 2 * Marks.Frame.Width;
    return room;
}

void TCircledSeries::BeginDrawPoints() {
    TChartSeries::BeginDrawPoints();
    const TRect plot = ParentChart()->PlotRect;
    int vertical = 0, horizontal = 0;
    if (Marks.Visible) {
        vertical = MarkRoomVertical();
        horizontal = MarkRoomHorizontal();
        if (circled_) KeepRoundPieVisible(plot, vertical, horizontal);
    }
    TCircle circle = CircleInPlot(plot, vertical, horizontal);
    if (circled_) circle = MakeRound(circle, DisplayAspect, customXRadius_, customYRadius_);
    SetCircle(WithRadii(circle, customXRadius_, customYRadius_));
}

}  // namespace tallyhouse::chart
