#include "app/poll_chart.h"

#include "chart/series/stored_look.h"

namespace tallyhouse::app {

using namespace tallyhouse::chart;

TPollChart::TPollChart() {
    ApplyStoredChartSettings(Chart1);
    ApplyStoredSeriesSettings(Chart1, Series1, Series2, Series3, Series4);
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

}  // namespace tallyhouse::app
