// DrawContents: the fixed order in which a chart is laid out and drawn, from the panel to the series.
#include <algorithm>

#include "chart/model/chart.h"
#include "platform/raster/arith.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

void TCustomAxisPanel::DrawContents(const TRect& userRect) {
    PaintPanelBackground(userRect);
    PrepareSeries();
    Canvas().Suspend3D();
    PaintTitlesAndLegend();
    Canvas().Resume3D();
    AssignDepthSlots();
    LayoutAxes();
    SetSeriesDepths();
    ApplySeriesMargins();
    Canvas().SetViewCentre(DepthTotal, PanelRect, PlotRect);
    if (OnBeforeDrawWalls) OnBeforeDrawWalls(*this);
    PaintWalls();
    if (AxisVisible) DrawAxes();
    if (OnBeforeDrawSeries) OnBeforeDrawSeries(*this);
    DrawAllSeries();
    ResetCanvas();
    if (OnAfterDraw) OnAfterDraw(*this);
}

void TCustomAxisPanel::PrepareSeries() {
    for (TChartSeries* s : SeriesList)
        if (s->Active()) s->PrepareForChart();
}

void TCustomAxisPanel::AssignDepthSlots() {
    TopZOrder = 0;
    const bool zOrders = UseZOrder && View3D;
    if (zOrders) {
        TopZOrder = -1;
        for (TChartSeries* s : SeriesList)
            if (s->Active()) s->ClaimDepthSlot();
    }
    for (TChartSeries* s : SeriesList)
        if (s->Active()) s->ZOrder = zOrders ? TopZOrder - s->ZOrder : 0;
}

void TCustomAxisPanel::LayoutAxes() {
    for (TCustomChartAxis* axis : std::initializer_list<TCustomChartAxis*>{&LeftAxis, &RightAxis, &TopAxis,
                                                                         &BottomAxis, &DepthAxis})
        axis->AdjustRange();
    ComputeDepthSizes();
    if (View3D && View3DOptions.Orthogonal) {
        const int s = BackWallSize();
        PlotRect.Right -= s + DepthTotal;
        PlotRect.Top += s + DepthTotalY;
        RecalcWidthHeight();
    }
    ShrinkForAxes();
}

void TCustomAxisPanel::ComputeDepthSizes() {
    if (!View3D) {
        SlotDepth = SlotDepthY = DepthTotal = DepthTotalY = 0;
        return;
    }
    double f = Chart3DPercent() * 0.001;
    if (!View3DOptions.Orthogonal) f *= 2;
    SlotDepth = SlotDepthY = Round(PlotWidth * f);
    const int m = UseZOrder ? std::max(1, TopZOrder + 1) : 1;
    DepthTotal = m * SlotDepth;
    DepthTotalY = m * SlotDepthY;
}

void TCustomAxisPanel::ShrinkForAxes() {
    TRect work = PlotRect;
    for (TCustomChartAxis* axis : std::initializer_list<TCustomChartAxis*>{&LeftAxis, &RightAxis, &TopAxis,
                                                                         &BottomAxis, &DepthAxis}) {
        if (!AxisDrawn(*axis)) continue;
        const TRect r = axis->ShrinkPlotRect(work);
        work = TRect{std::max(work.Left, r.Left), std::max(work.Top, r.Top), std::min(work.Right, r.Right),
                     std::min(work.Bottom, r.Bottom)};
    }
    PlotRect = work;
    RecalcWidthHeight();
}

void TCustomAxisPanel::SetSeriesDepths() {
    for (TChartSeries* s : SeriesList) {
        if (!s->Active()) continue;
        s->StartZ = SlotDepth * s->ZOrder;
        s->EndZ = s->StartZ + SlotDepth;
        s->MiddleZ = (s->StartZ + s->EndZ) / 2;
        s->Marks.ZPosition = s->MiddleZ;
    }
}

void TCustomAxisPanel::ApplySeriesMargins() {
    for (TCustomChartAxis* axis : std::initializer_list<TCustomChartAxis*>{&TopAxis, &LeftAxis, &RightAxis,
                                                                         &BottomAxis}) {
        TRect margins{};
        for (TChartSeries* s : SeriesList) {
            if (!s->Active() || !axis->IsSeriesAxis(*s)) continue;
            int a = 0, b = 0;
            if (axis->IsHorizontal()) {
                s->HorizontalMargins(a, b);
                margins.Left = std::max(margins.Left, a);
                margins.Right = std::max(margins.Right, b);
            } else {
                s->VerticalMargins(a, b);
                margins.Top = std::max(margins.Top, a);
                margins.Bottom = std::max(margins.Bottom, b);
            }
        }
        axis->SetPixelRange(margins);
    }
}

void TCustomAxisPanel::DrawAxes() {
    for (TCustomChartAxis* axis : std::initializer_list<TCustomChartAxis*>{&TopAxis, &BottomAxis, &LeftAxis,
                                                                         &RightAxis})
        if (AxisDrawn(*axis)) axis->DrawAxis();
    if (View3D && DepthAxis.Visible) DepthAxis.DrawAxis();
}

void TCustomAxisPanel::ResetCanvas() {
    TRasterCanvas3D& canvas = Canvas();
    canvas.Pen = TPen{};
    canvas.Brush = TBrush{};
    const int ppi = canvas.Font.PixelsPerInch;
    canvas.Font = TFont{};
    canvas.Font.PixelsPerInch = ppi;
    canvas.SetBkColor(clWhite);
    canvas.SetBkMode(OPAQUE);
}

bool TCustomAxisPanel::SharesSlot(const TChartSeries& series) const {
    return std::any_of(SeriesList.begin(), SeriesList.end(), [&series](const TChartSeries* s) {
        return s != &series && s->Active() && s->ZOrder == series.ZOrder;
    });
}

void TCustomAxisPanel::DrawAllSeries() {
    for (std::size_t i = 0; i < SeriesList.size(); ++i) {
        TChartSeries& s = *SeriesList[i];
        if (!s.Active()) continue;
        if (!View3D || !SharesSlot(s)) {
            DrawSeries(s);
            continue;
        }
        const bool firstOfSlot = std::none_of(SeriesList.begin(), SeriesList.begin() + static_cast<std::ptrdiff_t>(i),
                                              [&s](const TChartSeries* o) { return o->Active() && o->ZOrder == s.ZOrder; });
        if (firstOfSlot) DrawSharedSlot(i);
    }
}

void TCustomAxisPanel::ClipToPlot() { Canvas().ClipBox(PlotRect, 0, DepthTotal); }

void TCustomAxisPanel::DrawSeriesMarks(TChartSeries& series) {
    if (!series.Marks.Visible) return;
    if (series.Marks.Clip) ClipToPlot();
    series.DrawMarks();
    Canvas().ClearClip();
}

void TCustomAxisPanel::DrawSeries(TChartSeries& series) {
    series.CalcVisiblePoints();
    if (series.FirstVisible == -1) return;
    series.BeginDrawPoints();
    if (ClipPoints) ClipToPlot();
    series.DrawPoints();
    if (ClipPoints) Canvas().ClearClip();
    DrawSeriesMarks(series);
    series.EndDrawPoints();
}

void TCustomAxisPanel::DrawSharedSlot(std::size_t first) {
    TChartSeries& lead = *SeriesList[first];
    std::vector<TChartSeries*> group;
    for (std::size_t i = first; i < SeriesList.size(); ++i)
        if (SeriesList[i]->Active() && SeriesList[i]->ZOrder == lead.ZOrder) group.push_back(SeriesList[i]);
    int low = -1, high = -1;
    for (TChartSeries* s : group) {
        s->CalcVisiblePoints();
        s->BeginDrawPoints();
        if (s->FirstVisible == -1) continue;
        low = low == -1 ? s->FirstVisible : std::min(low, s->FirstVisible);
        high = std::max(high, s->LastVisible);
    }
    if (ClipPoints) ClipToPlot();
    const auto drawIndex = [&group](int index) {
        const bool forward = group.front()->DrawsSeriesForward(index);
        const auto draw = [index](TChartSeries* s) {
            if (s->PointCount() > index) s->DrawPoint(index);
        };
        if (forward)
            std::for_each(group.begin(), group.end(), draw);
        else
            std::for_each(group.rbegin(), group.rend(), draw);
    };
    if (low != -1) {
        if (lead.DrawsPointsForward())
            for (int i = low; i <= high; ++i) drawIndex(i);
        else
            for (int i = high; i >= low; --i) drawIndex(i);
    }
    if (ClipPoints) Canvas().ClearClip();
    for (TChartSeries* s : group) {
        if (s->FirstVisible == -1) continue;
        DrawSeriesMarks(*s);
        s->EndDrawPoints();
    }
}

}  // namespace tallyhouse::chart
