// Pie slices: grouping of small values, angles, exploded slices, 2D and 3D drawing, marks outside the rim.
#include "chart/series/pie_series.h"

#include <cmath>
#include <numbers>

#include "chart/model/chart.h"
#include "chart/model/covered_drawings.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

// The X value that marks the other slice of the previous draw.
constexpr double OtherSliceX = 2147483647.0;

}  // namespace

void TPieOtherSlice::SetStyle(TPieOtherStyle value) {
    if (value == style_) return;
    style_ = value;
    owner_.Repaint();
}

void TPieOtherSlice::SetText(const std::string& value) {
    if (value == text_) return;
    text_ = value;
    owner_.Repaint();
}

void TPieOtherSlice::SetValue(double value) {
    if (value == value_) return;
    value_ = value;
    owner_.Repaint();
}

int TExplodedSlices::Value(int i) const {
    return i >= 0 && i < Count() ? percents_[static_cast<std::size_t>(i)] : 0;
}

void TExplodedSlices::SetValue(int i, int percent) {
    if (i < 0) return;
    if (i >= Count()) percents_.resize(static_cast<std::size_t>(i) + 1, 0);
    int& slot = percents_[static_cast<std::size_t>(i)];
    if (slot == percent) return;
    slot = percent;
    owner_.Repaint();
}

TPieSeries::TPieSeries() {
    SetColorEachPoint(true);
    XValues.Name = "";
    YValues.Name = "Torte";
    Marks.Visible = true;
    Marks.ArrowLength = 8;
}

bool TPieSeries::ClassIncludes(const TChartSeries& s) const { return dynamic_cast<const TPieSeries*>(&s) != nullptr; }

void TPieSeries::ClearStorage() {
    TCircledSeries::ClearStorage();
    ExplodedSlice.Clear();
}

TBrushStyle TPieSeries::SlicePattern(int i) {
    using enum TBrushStyle;
    static constexpr TBrushStyle patterns[] = {bsHorizontal, bsVertical, bsFDiagonal,
                                               bsBDiagonal,  bsCross,    bsDiagCross};
    return patterns[i % 6];
}

void TPieSeries::PrepareForChart() {
    const int previousOther = XValues.IndexOfValue(OtherSliceX);
    if (previousOther >= 0) DeletePoint(previousOther);
    RenumberAndGroup();
}

void TPieSeries::RenumberAndGroup() {
    std::vector<double> values(static_cast<std::size_t>(PointCount()));
    std::vector<double> numbers(values.size());
    double total = 0;
    for (int i = 0; i < PointCount(); ++i) {
        numbers[static_cast<std::size_t>(i)] = i;
        values[static_cast<std::size_t>(i)] = YValues.Value(i);
        total += std::fabs(YValues.Value(i));
    }
    XValues.SetValues(numbers);
    YValues.SetSumOfMagnitudes(total);
    YValues.RecomputeRange();
    if (OtherSlice.Style() == poNone) return;
    const TOtherSlice other = GroupSmallSlices(values, OtherSlice.Style(), OtherSlice.Value(), total);
    for (std::size_t i = 0; i < values.size(); ++i)
        if (other.Grouped[i]) numbers[i] = -1;
    XValues.SetValues(numbers);
    if (other.Sum == 0) return;
    InsertPoint(OtherSliceX, other.Sum, OtherSlice.Text(), AutoColor);
    // Percentages stay relative to the total of all points before grouping.
    YValues.SetSumOfMagnitudes(YValues.SumOfMagnitudes() - std::fabs(other.Sum));
}

void TPieSeries::CalcAngles() {
    std::vector<double> values(static_cast<std::size_t>(PointCount()));
    std::vector<bool> grouped(values.size());
    for (int i = 0; i < PointCount(); ++i) {
        values[static_cast<std::size_t>(i)] = YValues.Value(i);
        grouped[static_cast<std::size_t>(i)] = IsGrouped(i);
    }
    Angles = PieAngles(values, grouped, YValues.SumOfMagnitudes());
}

int TPieSeries::MostExplodedSlice() const {
    int most = -1;
    for (int i = 0; i < PointCount(); ++i)
        if (ExplodedSlice.Value(i) > 0 && (most < 0 || ExplodedSlice.Value(i) > ExplodedSlice.Value(most))) most = i;
    return most;
}

void TPieSeries::ShrinkForExplodedSlices(int mostExploded) {
    const double middle = Angles[static_cast<std::size_t>(mostExploded)].MidAngle + RotationRadians();
    const TRect shrunk =
        ShrinkForExplodedSlice(CircleRect, XRadius, YRadius, ExplodedSlice.Value(mostExploded), middle);
    SetCircle(WithRadii(AdjustCircle(shrunk), CustomXRadius(), CustomYRadius()));
}

void TPieSeries::DrawPoints() {
    if (ExplodeBiggest > 0)
        for (int i = 0; i < PointCount(); ++i)
            if (YValues.Value(i) == YValues.HighestValue()) {
                ExplodedSlice.SetValue(i, ExplodeBiggest);
                break;
            }
    const int mostExploded = MostExplodedSlice();
    AnyExploded = mostExploded >= 0;
    CalcAngles();
    if (AnyExploded) ShrinkForExplodedSlices(mostExploded);
    const TPoint start = AngleToPos(0, XRadius, YRadius);
    SliceStartX = start.X;
    SliceStartY = start.Y;
    if (ParentChart()->View3D && AnyExploded) {
        for (int i : SlicesByDistanceFromTop(Angles, RotationRadians(), FirstVisible, LastVisible)) DrawPoint(i);
    } else if (ParentChart()->View3D && PiePen.Mode == TPenMode::pmCopy && SkipCoveredDrawings) {
        DrawSlicesSeenIn3D();
    } else {
        for (int i = FirstVisible; i <= LastVisible; ++i) {
            ParentChart()->DrawingGoesOn(i);
            DrawPoint(i);
        }
    }
}

bool TPieSeries::DrawnIn3D(int i) const {
    return CircleWidth >= 5 && CircleHeight >= 5 && !IsGrouped(i) && PointColor(i) != clNone;
}

TPieArcEnds TPieSeries::ArcEndsOf(int i, const TPieArcEnds* before) const {
    const TPieAngle& a = Angles[static_cast<std::size_t>(i)];
    return PieArcEnds(XCenter, YCenter, XRadius, YRadius, a.StartAngle + RotationRadians(),
                      a.EndAngle + RotationRadians(), before);
}

TPieSliceGeometry TPieSeries::ShapeOf(int i) {
    const TPieAngle& a = Angles[static_cast<std::size_t>(i)];
    return Canvas().PieSliceShape(XCenter, YCenter, XRadius, YRadius, StartZ, EndZ, a.StartAngle + RotationRadians(),
                                  a.EndAngle + RotationRadians());
}

// Slices thinner than a pixel (a pie of many thousand answers) come in runs of one shape, each
// painting the pixels of the one before: of a run only the last is drawn, for the same picture.
// Two one-pixel arcs on the same pixel are known to have one shape without projecting either;
// other pairs compare their projected outlines. Drawing a slice of a run changes nothing, so a
// pair that is not found alike only costs time.
void TPieSeries::DrawSlicesSeenIn3D() {
    std::optional<TPieArcEnds> ends;
    if (DrawnIn3D(FirstVisible)) ends = ArcEndsOf(FirstVisible);
    for (int i = FirstVisible; i <= LastVisible; ++i) {
        ParentChart()->DrawingGoesOn(i);
        std::optional<TPieArcEnds> next;
        if (i < LastVisible && DrawnIn3D(i + 1)) next = ArcEndsOf(i + 1, ends ? &*ends : nullptr);
        if (!(ends && next && SameShape(i, *ends, *next))) DrawPoint(i);
        ends = next;
    }
}

bool TPieSeries::SameShape(int i, const TPieArcEnds& ends, const TPieArcEnds& next) {
    if (ends.onePixel && next.onePixel) return ends.first == next.first;
    if (ends.onePixel != next.onePixel) return false;
    return ShapeOf(i) == ShapeOf(i + 1);
}

void TPieSeries::DrawPoint(int i) {
    if (CircleWidth < 5 || CircleHeight < 5 || IsGrouped(i)) return;
    const TColor color = PointColor(i);
    TCustomChart& chart = *ParentChart();
    const TColor back = CircleBackColorResolved();
    if (color == clNone) {
        // An empty point keeps its place: the next slice starts where it ends.
        const TPoint end = AngleToPos(Angles[static_cast<std::size_t>(i)].EndAngle, XRadius, YRadius);
        SliceStartX = end.X;
        SliceStartY = end.Y;
        return;
    }
    chart.SetBrushForFill(color, UsePatterns ? SlicePattern(i) : TBrushStyle::bsSolid, back);
    const int startX = SliceStartX;
    const int startY = SliceStartY;
    DrawSlice(i);
    if (color != AutoColor || i <= 15) return;
    chart.SetBrushForFill(back, TBrushStyle::bsDiagCross, back);
    if (UsePatterns) return;
    const int endX = SliceStartX;
    const int endY = SliceStartY;
    SliceStartX = startX;
    SliceStartY = startY;
    DrawSlice(i);
    SliceStartX = endX;
    SliceStartY = endY;
}

TPoint TPieSeries::ExplodeOffset(int i) const {
    const int percent = ExplodedSlice.Value(i);
    if (!AnyExploded || percent == 0) return Point(0, 0);
    const double p = percent / 100.0;
    const double a = Angles[static_cast<std::size_t>(i)].MidAngle + RotationRadians();
    return Point(Round(XRadius * p * std::cos(a)), Round(p * YRadius * std::sin(a)));
}

void TPieSeries::DrawSlice(int i) {
    Canvas().AssignChartPen(PiePen);
    const TPoint offset = ExplodeOffset(i);
    if (ParentChart()->View3D)
        DrawSlice3D(i, offset);
    else
        DrawSlice2D(i, offset);
}

void TPieSeries::DrawSlice3D(int i, TPoint offset) {
    const TPieAngle& a = Angles[static_cast<std::size_t>(i)];
    Canvas().PieSlice3D(XCenter + offset.X, YCenter - offset.Y, XRadius, YRadius, StartZ, EndZ,
                        a.StartAngle + RotationRadians(), a.EndAngle + RotationRadians(), Dark3D, AnyExploded);
}

void TPieSeries::DrawSlice2D(int i, TPoint offset) {
    const TPieAngle& a = Angles[static_cast<std::size_t>(i)];
    const TPoint end = AngleToPos(a.EndAngle, XRadius, YRadius);
    // Equal rays make a whole ellipse: only a slice of at least half the pie may draw one.
    const bool vanishing = end.X == SliceStartX && end.Y == SliceStartY && a.EndAngle - a.StartAngle < std::numbers::pi;
    if (!vanishing) {
        const int dx = offset.X;
        const int dy = offset.Y;
        Canvas().Pie(CircleRect.Left + dx, CircleRect.Top - dy, CircleRect.Right + dx, CircleRect.Bottom - dy,
                     SliceStartX + dx, SliceStartY - dy, end.X + dx, end.Y - dy);
    }
    SliceStartX = end.X;
    SliceStartY = end.Y;
}

void TPieSeries::PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) {
    if (IsGrouped(i) || i >= static_cast<int>(Angles.size())) return;
    const double p = ExplodedSlice.Value(i) / 100.0;
    const int rx = XRadius + Round(XRadius * p);
    const int ry = YRadius + Round(p * YRadius);
    const double middle = Angles[static_cast<std::size_t>(i)].MidAngle;
    // The marks font is selected already, scaled by the 3D zoom as the box was measured.
    TRasterCanvas3D& canvas = Canvas();
    position.ArrowEnd = AngleToPos(middle, canvas.TextWidth("W") + rx, canvas.FontHeight() + ry);
    position.ArrowStart = AngleToPos(middle, rx - Marks.ArrowLength, ry - Marks.ArrowLength);
    const TPoint end = position.ArrowEnd;
    position.BoxLeftTop.X = end.X > XCenter ? end.X : end.X - position.BoxWidth;
    position.BoxLeftTop.Y = end.Y > YCenter ? end.Y : end.Y - position.BoxHeight;
    Marks.ZPosition = EndZ;
    TCircledSeries::PaintMark(i, text, position);
}

const std::vector<int>& TPieSeries::LegendPoints() const {
    if (legendPointsVersion_ == XValues.Version() && legendPointsCount_ == PointCount()) return legendPoints_;
    legendPoints_.clear();
    for (int i = 0; i < PointCount(); ++i)
        if (!IsGrouped(i)) legendPoints_.push_back(i);
    legendPointsVersion_ = XValues.Version();
    legendPointsCount_ = PointCount();
    return legendPoints_;
}

int TPieSeries::LegendItemCount() const { return static_cast<int>(LegendPoints().size()); }

int TPieSeries::LegendItemToPoint(int row) const {
    const std::vector<int>& points = LegendPoints();
    return row >= 0 && row < static_cast<int>(points.size()) ? points[static_cast<std::size_t>(row)] : row;
}

void TPieSeries::LegendFill(int i, TColor& backColor, TBrushStyle& brushStyle) {
    backColor = CircleBackColorResolved();
    if (UsePatterns && i >= 0) brushStyle = SlicePattern(i);
}

}  // namespace tallyhouse::chart
