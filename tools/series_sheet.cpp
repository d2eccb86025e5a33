// Draws bar, area and pie charts, flat and in 3D, into build/sheets/series.png for review.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/series/area_series.h"
#include "chart/series/bar_series.h"
#include "chart/model/chart.h"
#include "chart/canvas/color_shade.h"
#include "chart/series/horiz_bar_series.h"
#include "chart/series/pie_series.h"
#include "tools/sheet.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;

namespace {

constexpr int kCellWidth = 400;
constexpr int kCellHeight = 250;

struct Sample {
    const char* label;
    double count;
};
const std::vector<Sample> kGerman = {
    {"sehr gut", 67}, {"gut", 58}, {"befriedigend", 32}, {"ausreichend", 18}, {"mangelhaft", 6}};

enum class View { Flat, Oblique, Rotated };

// A chart as the poll application sets it up, with one series filled by `fill`.
struct Scene {
    View view = View::Flat;
    bool legend = true;
    std::function<void(TChart&, std::vector<std::unique_ptr<TChartSeries>>&)> build;
};

void Configure(TChart& chart, bool legend) {
    chart.Width = kCellWidth;
    chart.Height = kCellHeight;
    chart.Color = clWhite;
    chart.MarginTop() = 10;
    chart.MarginBottom() = 10;
    chart.SetBackColor(clSilver);
    chart.SetChart3DPercent(50);
    chart.Legend.Visible = legend;
    chart.Legend.LegendStyle = lsValues;
    chart.Title.Visible = false;
    chart.View3DOptions.Rotation = 360;
    chart.View3DOptions.Elevation = 315;
    chart.View3DOptions.HorizOffset = 1;
}

// The view is chosen after the series is active, as the poll application does.
void ApplyView(TChart& chart, View view) {
    chart.View3D = view != View::Flat;
    chart.View3DOptions.Orthogonal = view == View::Oblique;
}

void FillGerman(TChartSeries& s, TColor base) {
    int k = 0;
    for (const Sample& sample : kGerman) {
        s.AppendValue(sample.count, sample.label, base == AutoColor ? AutoColor : Darker(base, 15 * k));
        ++k;
    }
    s.SetColorEachPoint(true);
}

TSheet::CellPainter ChartCell(Scene scene) {
    return [scene](TBitmap& target, const TRect& cell) {
        TChart chart;
        std::vector<std::unique_ptr<TChartSeries>> series;
        Configure(chart, scene.legend);
        scene.build(chart, series);
        ApplyView(chart, scene.view);
        chart.Width = cell.Width();
        chart.Height = cell.Height();
        chart.PaintTo(target, cell);
        for (auto& s : series) s->SetParentChart(nullptr);
    };
}

template <class T>
T& Join(TChart& chart, std::vector<std::unique_ptr<TChartSeries>>& list) {
    auto s = std::make_unique<T>();
    T& ref = *s;
    ref.SetParentChart(&chart);
    list.push_back(std::move(s));
    return ref;
}

void AddBars(TSheet& sheet) {
    sheet.Section("Vertical bars");
    for (View v : {View::Flat, View::Oblique, View::Rotated}) {
        sheet.Add(v == View::Flat ? "2D, percent marks" : v == View::Oblique ? "3D oblique" : "3D rotated",
                  ChartCell({v, true, [](TChart& c, auto& list) {
                                 auto& s = Join<TBarSeries>(c, list);
                                 s.Marks.SetStyle(smsPercent);
                                 s.Marks.BackColor = clWhite;
                                 FillGerman(s, clLime);
                             }}));
    }
    sheet.Add("negative value, empty point", ChartCell({View::Flat, false, [](TChart& c, auto& list) {
                                                           auto& s = Join<TBarSeries>(c, list);
                                                           s.Marks.SetStyle(smsValue);
                                                           s.AppendValue(12, "a", clRed);
                                                           s.AppendValue(-7, "b", clBlue);
                                                           s.AppendValue(9, "c", clNone);
                                                           s.AppendValue(4, "d", clGreen);
                                                       }}));
    sheet.Add("two series side by side, 3D", ChartCell({View::Oblique, false, [](TChart& c, auto& list) {
                                                          auto& a = Join<TBarSeries>(c, list);
                                                          auto& b = Join<TBarSeries>(c, list);
                                                          a.SetSeriesColor(clRed);
                                                          b.SetSeriesColor(clBlue);
                                                          a.Marks.Visible = b.Marks.Visible = false;
                                                          for (double v : {5.0, 8.0, 3.0}) a.AppendValue(v, "", AutoColor);
                                                          for (double v : {6.0, 2.0, 7.0}) b.AppendValue(v, "", AutoColor);
                                                      }}));
    sheet.Add("stacked, 2D", ChartCell({View::Flat, false, [](TChart& c, auto& list) {
                                          auto& a = Join<TBarSeries>(c, list);
                                          auto& b = Join<TBarSeries>(c, list);
                                          a.SetMultiBar(mbStacked);
                                          b.SetMultiBar(mbStacked);
                                          a.SetSeriesColor(clRed);
                                          b.SetSeriesColor(clYellow);
                                          a.Marks.SetStyle(smsValue);
                                          b.Marks.SetStyle(smsValue);
                                          for (double v : {5.0, 8.0, 3.0}) a.AppendValue(v, "", AutoColor);
                                          for (double v : {6.0, 2.0, 7.0}) b.AppendValue(v, "", AutoColor);
                                      }}));
    using enum TBarStyle;
    const TBarStyle styles[] = {bsPyramid, bsInvPyramid, bsCilinder, bsEllipse, bsArrow, bsRectGradient};
    const char* names[] = {"pyramid", "inverted pyramid", "cylinder", "ellipse", "arrow", "gradient"};
    for (View v : {View::Flat, View::Oblique}) {
        for (int k = 0; k < 6; ++k) {
            const TBarStyle style = styles[k];
            sheet.Add(std::string(names[k]) + (v == View::Flat ? ", 2D" : ", 3D"),
                      ChartCell({v, false, [style](TChart& c, auto& list) {
                                     auto& s = Join<TBarSeries>(c, list);
                                     s.BarStyle = style;
                                     s.Marks.SetStyle(smsValue);
                                     FillGerman(s, AutoColor);
                                 }}));
        }
    }
    sheet.Section("Horizontal bars");
    for (View v : {View::Flat, View::Oblique, View::Rotated}) {
        sheet.Add(v == View::Flat ? "2D" : v == View::Oblique ? "3D oblique" : "3D rotated",
                  ChartCell({v, true, [](TChart& c, auto& list) {
                                 auto& s = Join<THorizBarSeries>(c, list);
                                 s.Marks.SetStyle(smsPercent);
                                 FillGerman(s, clLime);
                             }}));
    }
}

void AddAreas(TSheet& sheet) {
    sheet.Section("Area");
    for (View v : {View::Flat, View::Oblique, View::Rotated}) {
        sheet.Add(v == View::Flat ? "2D" : v == View::Oblique ? "3D oblique" : "3D rotated",
                  ChartCell({v, true, [](TChart& c, auto& list) {
                                 auto& s = Join<TAreaSeries>(c, list);
                                 FillGerman(s, AutoColor);
                             }}));
    }
    sheet.Add("marks, empty point", ChartCell({View::Flat, false, [](TChart& c, auto& list) {
                                                  auto& s = Join<TAreaSeries>(c, list);
                                                  s.Marks.Visible = true;
                                                  s.Marks.SetStyle(smsValue);
                                                  s.AppendValue(20, "a", clRed);
                                                  s.AppendValue(35, "b", clBlue);
                                                  s.AppendValue(30, "c", clNone);
                                                  s.AppendValue(45, "d", clGreen);
                                                  s.AppendValue(25, "e", clYellow);
                                              }}));
    sheet.Add("stairs, 3D", ChartCell({View::Oblique, false, [](TChart& c, auto& list) {
                                          auto& s = Join<TAreaSeries>(c, list);
                                          s.Stairs = true;
                                          FillGerman(s, AutoColor);
                                      }}));
    sheet.Add("stacked, 3D", ChartCell({View::Oblique, false, [](TChart& c, auto& list) {
                                           auto& a = Join<TAreaSeries>(c, list);
                                           auto& b = Join<TAreaSeries>(c, list);
                                           a.SetMultiArea(maStacked);
                                           b.SetMultiArea(maStacked);
                                           for (double v : {5.0, 8.0, 3.0, 6.0}) a.AppendValue(v, "", clRed);
                                           for (double v : {6.0, 2.0, 7.0, 4.0}) b.AppendValue(v, "", clBlue);
                                       }}));
}

void AddPies(TSheet& sheet) {
    sheet.Section("Pie");
    for (View v : {View::Flat, View::Oblique, View::Rotated}) {
        sheet.Add(v == View::Flat ? "2D, percent marks" : v == View::Oblique ? "3D oblique" : "3D rotated", ChartCell({v, true, [](TChart& c, auto& list) {
                                                                    auto& s = Join<TPieSeries>(c, list);
                                                                    s.Marks.SetStyle(smsPercent);
                                                                    FillGerman(s, AutoColor);
                                                                }}));
    }
    sheet.Add("other slice below 10 %", ChartCell({View::Flat, true, [](TChart& c, auto& list) {
                                                      auto& s = Join<TPieSeries>(c, list);
                                                      s.OtherSlice.SetStyle(poBelowPercent);
                                                      s.OtherSlice.SetValue(10);
                                                      s.Marks.SetStyle(smsPercent);
                                                      FillGerman(s, AutoColor);
                                                  }}));
    sheet.Add("exploded biggest, 3D", ChartCell({View::Rotated, false, [](TChart& c, auto& list) {
                                                    auto& s = Join<TPieSeries>(c, list);
                                                    s.ExplodeBiggest = 20;
                                                    s.Marks.SetStyle(smsValue);
                                                    FillGerman(s, AutoColor);
                                                }}));
    sheet.Add("exploded biggest, 2D", ChartCell({View::Flat, false, [](TChart& c, auto& list) {
                                                    auto& s = Join<TPieSeries>(c, list);
                                                    s.ExplodeBiggest = 20;
                                                    s.Marks.SetStyle(smsValue);
                                                    FillGerman(s, AutoColor);
                                                }}));
    sheet.Add("17 slices, lime shades", ChartCell({View::Flat, false, [](TChart& c, auto& list) {
                                                      auto& s = Join<TPieSeries>(c, list);
                                                      s.Marks.Visible = false;
                                                      for (int k = 0; k < 17; ++k)
                                                          s.AppendValue(1, "", Darker(clLime, (15 * (k + 1)) % 256));
                                                  }}));
    sheet.Add("one point, 3D", ChartCell({View::Rotated, false, [](TChart& c, auto& list) {
                                             auto& s = Join<TPieSeries>(c, list);
                                             s.AppendValue(5, "alles", AutoColor);
                                         }}));
}

}  // namespace

int main() {
    TSheet sheet("Series: bars, areas, pies", 3, kCellWidth, kCellHeight);
    AddBars(sheet);
    AddAreas(sheet);
    AddPies(sheet);
    std::printf("%s\n", sheet.Write("series").c_str());
    return 0;
}
