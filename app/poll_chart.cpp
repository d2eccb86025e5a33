#include "app/poll_chart.h"

TPollChart::TPollChart() {
    StoredChartSettings();
    StoredSeriesSettings();
}

TPollChart::~TPollChart() {
    for (TChartSeries* series : {static_cast<TChartSeries*>(&Series1), static_cast<TChartSeries*>(&Series2),
                                 static_cast<TChartSeries*>(&Series3), static_cast<TChartSeries*>(&Series4)})
        series->SetParentChart(nullptr);
}

TChartSeries& TPollChart::SeriesAt(int style) {
    switch (style) {
        case 1: return Series2;
        case 2: return Series3;
        case 3: return Series4;
        default: return Series1;
    }
}

void TPollChart::StoredChartSettings() {
    Chart1.Width = 400;
    Chart1.Height = 250;
    Chart1.Color = clWhite;
    Chart1.BackWall.Color = clSilver;
    Chart1.SetBackColor(clSilver);
    Chart1.MarginTop() = 10;
    Chart1.MarginBottom() = 10;
    Chart1.Title.Text = {""};
    Chart1.Title.Visible = false;
    Chart1.SetChart3DPercent(50);
    Chart1.Legend.SetColorWidth(25);
    Chart1.Legend.LegendStyle = lsValues;
    Chart1.Legend.ShadowSize = 2;
    Chart1.View3D = true;
    Chart1.View3DOptions.Elevation = 315;
    Chart1.View3DOptions.HorizOffset = 1;
    Chart1.View3DOptions.Orthogonal = false;
    Chart1.View3DOptions.Rotation = 360;
    Chart1.BorderStyle = TBorderStyle::bsSingle;
    Chart1.BevelOuter = bvRaised;
    Chart1.BevelInner = bvLowered;
}

void TPollChart::StoredSeriesSettings() {
    Series1.SetParentChart(&Chart1);
    Series1.SetActive(false);
    Series1.SetColorEachPoint(true);
    Series1.Marks.Visible = true;
    Series1.Marks.SetStyle(smsPercent);
    Series1.Marks.ArrowLength = 20;
    Series1.Marks.BackColor = clWhite;
    Series1.SetSeriesColor(clRed);
    Series1.YValues.Name = "Balken";

    Series2.SetParentChart(&Chart1);
    Series2.SetActive(false);
    Series2.SetColorEachPoint(true);
    Series2.Marks.Visible = true;
    Series2.Marks.ArrowLength = 8;
    Series2.SetSeriesColor(clGreen);
    Series2.XValues.Name = "Balken";
    Series2.XValues.Order = loNone;
    Series2.YValues.Order = loAscending;

    Series3.SetParentChart(&Chart1);
    Series3.SetActive(false);
    Series3.SetColorEachPoint(true);
    Series3.Marks.Visible = false;
    Series3.Marks.ArrowLength = 8;
    Series3.SetSeriesColor(clYellow);
    Series3.DrawArea = true;

    Series4.SetParentChart(&Chart1);
    Series4.SetActive(false);
    Series4.Marks.Visible = true;
    Series4.Marks.ArrowLength = 8;
    Series4.OtherSlice.SetText("Weitere");
    Series4.YValues.Name = "Torte";
}
