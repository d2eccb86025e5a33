// The chart of a view request with its four series, in their stored settings: vertical bars,
// horizontal bars, area and pie, all inactive until a request picks one.
#pragma once

#include "chart/series/area_series.h"
#include "chart/series/bar_series.h"
#include "chart/model/chart.h"
#include "chart/series/horiz_bar_series.h"
#include "chart/series/pie_series.h"

namespace tallyhouse::app {

class TPollChart {
public:
    TPollChart();
    ~TPollChart();
    TPollChart(const TPollChart&) = delete;
    TPollChart& operator=(const TPollChart&) = delete;

    chart::TChart Chart1;
    chart::TBarSeries Series1;
    chart::THorizBarSeries Series2;
    chart::TAreaSeries Series3;
    chart::TPieSeries Series4;

    // Series1 .. Series4 by the request's style number 0 .. 3.
    chart::TChartSeries& SeriesAt(int style);
};

}  // namespace tallyhouse::app
