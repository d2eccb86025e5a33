// The chart of a view request with its four series, in their stored settings: vertical bars,
// horizontal bars, area and pie, all inactive until a request picks one.
#pragma once

#include "chart/series/area_series.h"
#include "chart/series/bar_series.h"
#include "chart/model/chart.h"
#include "chart/series/horiz_bar_series.h"
#include "chart/series/pie_series.h"

class TPollChart {
public:
    TPollChart();
    ~TPollChart();
    TPollChart(const TPollChart&) = delete;
    TPollChart& operator=(const TPollChart&) = delete;

    TChart Chart1;
    TBarSeries Series1;
    THorizBarSeries Series2;
    TAreaSeries Series3;
    TPieSeries Series4;

    // Series1 .. Series4 by the request's style number 0 .. 3.
    TChartSeries& SeriesAt(int style);
};
