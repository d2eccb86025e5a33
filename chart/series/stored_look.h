// The look the poll chart is stored with, before a request changes anything: the chart's panel,
// walls, margins, legend and 3D view, and the settings of its four series. Applied once, in this
// order, when the poll chart is made; chart tests start from the same look.
#pragma once

#include "chart/model/chart.h"
#include "chart/series/area_series.h"
#include "chart/series/bar_series.h"
#include "chart/series/horiz_bar_series.h"
#include "chart/series/pie_series.h"

namespace tallyhouse::chart {

void ApplyStoredChartSettings(TChart& chart);
// Puts the four series on the chart, all inactive until a request picks one.
void ApplyStoredSeriesSettings(TChart& chart, TBarSeries& bars, THorizBarSeries& horizontalBars, TAreaSeries& area,
                               TPieSeries& pie);

}  // namespace tallyhouse::chart
