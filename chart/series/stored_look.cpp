// The look the poll chart is stored with, one setting after another in their stored order.
#include "chart/series/stored_look.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

void ApplyStoredChartSettings(TChart& chart) {
    chart.Width = 400;
    chart.Height = 250;
    chart.Color = clWhite;
    chart.BackWall.Color = clSilver;
    chart.SetBackColor(clSilver);
    chart.MarginTop() = 10;
    chart.MarginBottom() = 10;
    chart.Title.Text = {""};
    chart.Title.Visible = false;
    chart.SetChart3DPercent(50);
    chart.Legend.SetColorWidth(25);
    chart.Legend.LegendStyle = lsValues;
    chart.Legend.ShadowSize = 2;
    chart.View3D = true;
    chart.View3DOptions.Elevation = 315;
    chart.View3DOptions.HorizOffset = 1;
    chart.View3DOptions.Orthogonal = false;
    chart.View3DOptions.Rotation = 360;
    chart.BorderStyle = TBorderStyle::bsSingle;
    chart.BevelOuter = bvRaised;
    chart.BevelInner = bvLowered;
}

void ApplyStoredSeriesSettings(TChart& chart, TBarSeries& bars, THorizBarSeries& horizontalBars, TAreaSeries& area,
                               TPieSeries& pie) {
    bars.SetParentChart(&chart);
    bars.SetActive(false);
    bars.SetColorEachPoint(true);
    bars.Marks.Visible = true;
    bars.Marks.SetStyle(smsPercent);
    bars.Marks.ArrowLength = 20;
    bars.Marks.BackColor = clWhite;
    bars.SetSeriesColor(clRed);
    bars.YValues.Name = "Balken";

    horizontalBars.SetParentChart(&chart);
    horizontalBars.SetActive(false);
    horizontalBars.SetColorEachPoint(true);
    horizontalBars.Marks.Visible = true;
    horizontalBars.Marks.ArrowLength = 8;
    horizontalBars.SetSeriesColor(clGreen);
    horizontalBars.XValues.Name = "Balken";
    horizontalBars.XValues.Order = loNone;
    horizontalBars.YValues.Order = loAscending;

    area.SetParentChart(&chart);
    area.SetActive(false);
    area.SetColorEachPoint(true);
    area.Marks.Visible = false;
    area.Marks.ArrowLength = 8;
    area.SetSeriesColor(clYellow);
    area.DrawArea = true;

    pie.SetParentChart(&chart);
    pie.SetActive(false);
    pie.Marks.Visible = true;
    pie.Marks.ArrowLength = 8;
    pie.OtherSlice.SetText("Weitere");
    pie.YValues.Name = "Torte";
}

}  // namespace tallyhouse::chart
