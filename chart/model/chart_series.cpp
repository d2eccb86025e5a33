// TChartSeries: point storage, colours and labels, mark texts, the visible range and the parts of
// drawing every series type shares.
#include "chart/model/chart_series.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "chart/model/chart.h"
#include "chart/model/chart_exception.h"
#include "chart/model/format_number.h"
#include "chart/model/palette.h"

namespace tallyhouse::chart {

using namespace tallyhouse::platform;

TChartSeries::TChartSeries() : XValues(this, "X"), YValues(this, "Y"), Marks(*this) {
    XValues.Order = loAscending;
}

TChartSeries::~TChartSeries() {
    if (dataSource_) std::erase(dataSource_->dependents_, this);
    for (TChartSeries* d : dependents_) d->dataSource_ = nullptr;
    if (parentChart_) parentChart_->RemoveSeries(*this);
}

void TChartSeries::Repaint() const {
    if (parentChart_) parentChart_->Invalidate();
}

void TChartSeries::ValuesChanged() {
    NotifyDependents([this](TChartSeries& d) { d.LoadFromSource(*this); });
    Repaint();
}

void TChartSeries::NotifyDependents(const std::function<void(TChartSeries&)>& action) {
    const std::vector<TChartSeries*> dependents = dependents_;
    for (TChartSeries* d : dependents) action(*d);
}

TRasterCanvas3D& TChartSeries::Canvas() const { return parentChart_->Canvas(); }

TChartAxis* TChartSeries::GetHorizAxis() const {
    if (!parentChart_) return nullptr;
    return HorizAxis == aTopAxis ? &parentChart_->TopAxis : &parentChart_->BottomAxis;
}

TChartAxis* TChartSeries::GetVertAxis() const {
    if (!parentChart_) return nullptr;
    return VertAxis == aLeftAxis ? &parentChart_->LeftAxis : &parentChart_->RightAxis;
}

bool TChartSeries::UsesAxis(const TCustomChartAxis& axis) const {
    return &axis == GetHorizAxis() || &axis == GetVertAxis();
}

bool TChartSeries::ClassIncludes(const TChartSeries& s) const { return typeid(s) == typeid(*this); }

// Setters.

void TChartSeries::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    Repaint();
}

void TChartSeries::SetColorEachPoint(bool value) {
    if (value == colorEachPoint_) return;
    colorEachPoint_ = value;
    if (!value) std::fill(PointColors.begin(), PointColors.end(), AutoColor);
    Repaint();
}

void TChartSeries::SetSeriesColor(TColor value) {
    if (value == seriesColor_) return;
    seriesColor_ = value;
    Repaint();
}

void TChartSeries::SetParentChart(TCustomChart* chart) {
    if (chart == parentChart_) return;
    if (parentChart_) parentChart_->RemoveSeries(*this);
    parentChart_ = chart;
    if (!chart) return;
    chart->AddSeries(*this);
    if (seriesColor_ == AutoColor) seriesColor_ = chart->FreeSeriesColor(true);
    Repaint();
}

void TChartSeries::SetDataSource(TChartSeries* source) {
    if (source == dataSource_) return;
    if (source) {
        if (!parentChart_) throw ChartException("Kein ParentChart zum Validieren der Datenquelle");
        if (!AcceptsSource(*source)) throw ChartException("Ung\xFCltige Datenquelle: " + source->Name);
    }
    if (dataSource_) std::erase(dataSource_->dependents_, this);
    dataSource_ = source;
    if (!source) return;
    source->dependents_.push_back(this);
    LoadFromSource(*source);
}

// Points.

int TChartSeries::InsertPoint(double x, double y, const std::string& label, TColor color) {
    XValues.PendingValue = x;
    YValues.PendingValue = y;
    if (OnBeforeAdd && !OnBeforeAdd(*this)) return -1;
    const int i = XValues.AppendOrdered(x);
    YValues.InsertAt(i, y);
    InsertExtraValues(i);
    PointColors.insert(PointColors.begin() + i, color == clDefault ? AutoColor : color);
    PointLabels.insert(PointLabels.begin() + i, label);
    PointAdded(i);
    return i;
}

void TChartSeries::InsertExtraValues(int i) {
    for (std::size_t k = 2; k < ValuesLists.size(); ++k) ValuesLists[k]->InsertAt(i, ValuesLists[k]->PendingValue);
}

void TChartSeries::PointAdded(int i) {
    if (OnAfterAdd) OnAfterAdd(*this, i);
    NotifyDependents([this, i](TChartSeries& d) { d.CopyPoint(*this, i); });
    if (active_) Repaint();
}

void TChartSeries::ReservePoints(int count) {
    for (TChartValueList* list : ValuesLists) list->Reserve(count);
    PointColors.reserve(static_cast<std::size_t>(std::max(count, 0)));
    PointLabels.reserve(static_cast<std::size_t>(std::max(count, 0)));
}

int TChartSeries::AppendValue(double value, const std::string& label, TColor color) {
    const double n = PointCount();
    if (&MainValues() == &YValues) return InsertPoint(n, value, label, color);
    return InsertPoint(value, n, label, color);
}

int TChartSeries::AppendEmpty(const std::string& label) { return AppendValue(0, label, clNone); }

void TChartSeries::DeletePoint(int i) {
    for (TChartValueList* list : ValuesLists)
        if (i < list->Count()) list->RemoveAt(i);
    if (i < static_cast<int>(PointColors.size())) PointColors.erase(PointColors.begin() + i);
    if (i < static_cast<int>(PointLabels.size())) PointLabels.erase(PointLabels.begin() + i);
    Marks.Positions.Delete(i);
    NotifyDependents([this, i](TChartSeries& d) { d.SourcePointDeleted(*this, i); });
    Repaint();
}

void TChartSeries::SourcePointDeleted(TChartSeries&, int i) {
    if (i < PointCount()) DeletePoint(i);
}

void TChartSeries::ClearStorage() {
    for (TChartValueList* list : ValuesLists) list->RemoveAll();
    PointColors.clear();
    PointLabels.clear();
    Marks.Positions.Clear();
}

void TChartSeries::ClearPoints() {
    ClearStorage();
    if (OnClearValues) OnClearValues(*this);
    NotifyDependents([](TChartSeries& d) { d.ClearPoints(); });
    Repaint();
}

int TChartSeries::CopyPointValues(const TChartSeries& source, int i) {
    return InsertPoint(source.XValues.Value(i), source.YValues.Value(i));
}

int TChartSeries::CopyPoint(const TChartSeries& source, int i) {
    XValues.PendingValue = source.XValues.Value(i);
    YValues.PendingValue = source.YValues.Value(i);
    if (OnBeforeAdd && !OnBeforeAdd(*this)) return -1;
    const int k = XValues.AppendOrdered(source.XValues.Value(i));
    YValues.InsertAt(k, source.YValues.Value(i));
    InsertExtraValues(k);
    PointColors.insert(PointColors.begin() + k, source.PointColors[static_cast<std::size_t>(i)]);
    PointLabels.insert(PointLabels.begin() + k, source.PointLabel(i));
    PointAdded(k);
    return k;
}

void TChartSeries::LoadFromSource(const TChartSeries& source) {
    ClearStorage();
    for (int i = 0; i < source.PointCount(); ++i) CopyPoint(source, i);
    Repaint();
}

void TChartSeries::FillSampleValues(int numValues) {
    if (numValues <= 0) throw ChartException("FillSampleValues NumValues m\xFCssen > 0 sein.");
    ClearPoints();
    double value = 100;
    for (int i = 0; i < numValues; ++i) {
        value += static_cast<double>((i * 37) % 21) - 10;
        AppendValue(value);
    }
}

TChartValueList& TChartSeries::FindValueList(const std::string& name) {
    const auto same = [&name](const std::string& other) {
        return std::equal(name.begin(), name.end(), other.begin(), other.end(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                      std::tolower(static_cast<unsigned char>(b)); });
    };
    for (std::size_t k = 2; k < ValuesLists.size(); ++k)
        if (same(ValuesLists[k]->Name)) return *ValuesLists[k];
    return YValues;
}

// Colours and texts.

TColor TChartSeries::PointColor(int i) const {
    if (i < 0 || i >= static_cast<int>(PointColors.size())) return seriesColor_;
    const TColor stored = PointColors[static_cast<std::size_t>(i)];
    if (stored != AutoColor) return stored;
    return colorEachPoint_ ? PaletteColor(i) : seriesColor_;
}

std::string TChartSeries::PointLabel(int i) const {
    if (i < 0 || i >= static_cast<int>(PointLabels.size())) return "";
    return PointLabels[static_cast<std::size_t>(i)];
}

std::string TChartSeries::LabelOrValue(int i) const {
    const std::string label = PointLabel(i);
    return label.empty() ? FormatNumber(ValueFormat, MarkValue(i)) : label;
}

std::string TChartSeries::PercentText(int i, bool withTotal) const {
    const double total = MainValues().SumOfMagnitudes();
    const double percent = total != 0 ? std::fabs(MarkValue(i)) * 100 / total : 100;
    const std::string text = FormatNumber(PercentFormat, percent);
    if (!withTotal) return text;
    return text + " von " + FormatNumber(ValueFormat, total);
}

std::string TChartSeries::MarkText(int i) const {
    std::string text;
    switch (Marks.Style()) {
        case smsValue: text = FormatNumber(ValueFormat, MarkValue(i)); break;
        case smsPercent: text = PercentText(i, false); break;
        case smsLabel: text = LabelOrValue(i); break;
        case smsLabelPercent: text = LabelOrValue(i) + " " + PercentText(i, false); break;
        case smsLabelValue: text = LabelOrValue(i) + " " + FormatNumber(ValueFormat, MarkValue(i)); break;
        case smsLegend: text = parentChart_ ? parentChart_->FormatLegendText(*this, i) : LabelOrValue(i); break;
        case smsPercentTotal: text = PercentText(i, true); break;
        case smsLabelPercentTotal: text = LabelOrValue(i) + " " + PercentText(i, true); break;
        case smsXValue: {
            const TChartAxis* axis = GetHorizAxis();
            text = axis ? axis->LabelText(PointX(i)) : FormatNumber(ValueFormat, PointX(i));
            break;
        }
    }
    if (OnGetMarkText) {
        TChartSeries& self = const_cast<TChartSeries&>(*this);
        OnGetMarkText(self, i, text);
    }
    return text;
}

int TChartSeries::MaxMarkWidth() const {
    TRasterCanvas3D& canvas = Canvas();
    canvas.Font = Marks.Font;
    int widest = 0;
    for (int i = 0; i < PointCount(); ++i) widest = std::max(widest, WidestLine(canvas, MarkText(i)));
    return widest;
}

// Stacking and depth.

double TChartSeries::StackedSum(int i, bool includeSelf) const {
    double sum = 0;
    if (!parentChart_) return includeSelf ? StackingValue(i) : 0;
    for (TChartSeries* s : parentChart_->SeriesList) {
        if (s == this && !includeSelf) break;
        if (s->Active() && SameClass(*s) && s->PointCount() > i) sum += s->StackingValue(i);
        if (s == this) break;
    }
    return sum;
}

void TChartSeries::ClaimDepthSlot() {
    if (!parentChart_ || !parentChart_->View3D) {
        ZOrder = 0;
        return;
    }
    ZOrder = ++parentChart_->TopZOrder;
}

}  // namespace tallyhouse::chart
