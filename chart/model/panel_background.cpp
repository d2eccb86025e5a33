// The panel behind the chart: solid colour or gradient, then the bevelled border.
#include "chart/model/panel_background.h"

#include "chart/model/chart.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

namespace {

void Bevel(TRasterCanvas3D& canvas, TRect& rect, TPanelBevel bevel, int width) {
    if (bevel == bvNone) return;
    TColor top = clBtnHighlight, bottom = clBtnHighlight;
    if (bevel == bvLowered) {
        top = clBtnShadow;
    } else if (bevel == bvRaised) {
        bottom = clBtnShadow;
    }
    canvas.BevelFrame(rect, top, bottom, width);
}

}  // namespace

void PaintPanelFrame(TRasterCanvas3D& canvas, TRect rect, TPanelBevel outer, TPanelBevel inner, int bevelWidth,
                     int borderWidth, TColor panelColor) {
    canvas.Pen = TPen{};
    canvas.Brush.Style = TBrushStyle::bsClear;
    Bevel(canvas, rect, outer, bevelWidth);
    canvas.BevelFrame(rect, panelColor, panelColor, borderWidth);
    Bevel(canvas, rect, inner, bevelWidth);
}

void TCustomChart::FillBackground(const TRect& rect) {
    TRasterCanvas3D& canvas = Canvas();
    if (Gradient.Visible) {
        const bool forward = Gradient.Direction == gdTopBottom || Gradient.Direction == gdLeftRight;
        const TColor first = forward ? Gradient.StartColor : Gradient.EndColor;
        const TColor second = forward ? Gradient.EndColor : Gradient.StartColor;
        canvas.GradientFillRect(rect, first, Gradient.Direction, second);
        return;
    }
    canvas.Brush.Color = Color;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Brush.Bitmap = nullptr;
    canvas.FillRect(rect);
}

void TCustomChart::PaintPanelBackground(const TRect& rect) {
    FillBackground(rect);
    PaintPanelFrame(Canvas(), rect, BevelOuter, BevelInner, BevelWidth, BorderWidth, Color);
}

}  // namespace tallyhouse::chart
