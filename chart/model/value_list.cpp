// TChartValueList: ordered insertion and the running figures of scaled values.
#include "chart/model/value_list.h"

#include <algorithm>
#include <cmath>

#include "chart/model/chart_series.h"

namespace tallyhouse::chart {

TChartValueList::TChartValueList(TChartSeries* owner, const std::string& name) : Name(name), owner_(owner) {
    if (owner_) owner_->ValuesLists.push_back(this);
}

void TChartValueList::SetMultiplier(double value) {
    if (value == multiplier_) return;
    multiplier_ = value;
    ++version_;
    RecomputeRange();
    if (owner_) owner_->ValuesChanged();
}

int TChartValueList::OrderedIndex(double x) const {
    if (Order == loNone || values_.empty()) return Count();
    int i = Count() - 1;
    if (Order == loAscending) {
        if (x >= values_.back()) return Count();
        while (i >= 0 && values_[static_cast<std::size_t>(i)] > x) --i;
    } else {
        if (x <= values_.back()) return Count();
        while (i >= 0 && values_[static_cast<std::size_t>(i)] < x) --i;
    }
    return i + 1;
}

void TChartValueList::AddToFigures(double stored) {
    const double v = stored * multiplier_;
    sumOfValues_ += v;
    sumOfMagnitudes_ += std::fabs(v);
    if (values_.size() == 1) {
        highest_ = lowest_ = v;
    } else {
        lowest_ = std::min(lowest_, v);
        highest_ = std::max(highest_, v);
    }
}

int TChartValueList::AppendOrdered(double x) {
    const int i = OrderedIndex(x);
    values_.insert(values_.begin() + i, x);
    ++version_;
    AddToFigures(x);
    return i;
}

void TChartValueList::InsertAt(int i, double x) {
    values_.insert(values_.begin() + i, x);
    ++version_;
    AddToFigures(x);
}

void TChartValueList::RemoveAt(int i) {
    const double v = Value(i);
    values_.erase(values_.begin() + i);
    ++version_;
    sumOfValues_ -= v;
    sumOfMagnitudes_ -= std::fabs(v);
    RecomputeRange();
}

void TChartValueList::SetValue(int i, double x) {
    const double old = Value(i);
    sumOfValues_ -= old;
    sumOfMagnitudes_ -= std::fabs(old);
    values_[static_cast<std::size_t>(i)] = x;
    ++version_;
    RecomputeRange();
    const double v = x * multiplier_;
    sumOfValues_ += v;
    sumOfMagnitudes_ += std::fabs(v);
    if (owner_) owner_->ValuesChanged();
}

void TChartValueList::SetValues(const std::vector<double>& values) {
    for (std::size_t i = 0; i < values_.size() && i < values.size(); ++i) {
        const double old = values_[i] * multiplier_;
        const double v = values[i] * multiplier_;
        sumOfValues_ -= old;
        sumOfMagnitudes_ -= std::fabs(old);
        sumOfValues_ += v;
        sumOfMagnitudes_ += std::fabs(v);
        values_[i] = values[i];
    }
    ++version_;
    RecomputeRange();
    if (owner_) owner_->ValuesChanged();
}

int TChartValueList::IndexOfValue(double x) const {
    for (int i = 0; i < Count(); ++i)
        if (Value(i) == x) return i;
    return -1;
}

void TChartValueList::RemoveAll() {
    values_.clear();
    ++version_;
    sumOfValues_ = sumOfMagnitudes_ = highest_ = lowest_ = 0;
}

void TChartValueList::RecomputeRange() {
    if (values_.empty()) {
        highest_ = lowest_ = 0;
        return;
    }
    highest_ = lowest_ = Value(0);
    for (int i = 1; i < Count(); ++i) {
        highest_ = std::max(highest_, Value(i));
        lowest_ = std::min(lowest_, Value(i));
    }
}

void TChartValueList::Assign(const TChartValueList& other) {
    Order = other.Order;
    DateTime = other.DateTime;
    multiplier_ = other.multiplier_;
    ValueSource = other.ValueSource;
}

}  // namespace tallyhouse::chart
