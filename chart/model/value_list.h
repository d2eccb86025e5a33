// One column of numbers of a series, kept in order on insertion, with running sums and extremes.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace tallyhouse::chart {

class TChartSeries;

enum TChartListOrder { loNone, loAscending, loDescending };

class TChartValueList {
public:
    // Registers itself in the owner's value lists (when an owner is given).
    TChartValueList(TChartSeries* owner, const std::string& name);
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;

    std::string Name;
    TChartListOrder Order = loNone;
    bool DateTime = false;
    std::string ValueSource;
    double PendingValue = 0;

    int Count() const { return static_cast<int>(values_.size()); }
    double Value(int i) const { return values_[static_cast<std::size_t>(i)] * multiplier_; }
    double operator[](int i) const { return Value(i); }
    double LastValue() const { return values_.empty() ? 0 : Value(Count() - 1); }

    double Multiplier() const { return multiplier_; }
    void SetMultiplier(double value);

    double SumOfValues() const { return sumOfValues_; }
    double SumOfMagnitudes() const { return sumOfMagnitudes_; }
    void SetSumOfMagnitudes(double value) { sumOfMagnitudes_ = value; }
    double HighestValue() const { return highest_; }
    double LowestValue() const { return lowest_; }

    int AppendOrdered(double x);
    void InsertAt(int i, double x);
    void Reserve(int count) { values_.reserve(static_cast<std::size_t>(std::max(count, 0))); }
    void RemoveAt(int i);
    void SetValue(int i, double x);
    // SetValue for every index at once (as many values as the list holds): the same sums and
    // extremes, rescanned once, and one notice; linear where a SetValue per point rescans the
    // list each time.
    void SetValues(const std::vector<double>& values);
    int IndexOfValue(double x) const;
    void RemoveAll();
    void RecomputeRange();
    // Copies the settings, not the name and not the values.
    void Assign(const TChartValueList& other);

    TChartSeries* Owner() const { return owner_; }
    // Changes with every change of a stored value or of the multiplier: lets a caller keep
    // something derived from the values until they change.
    unsigned long Version() const { return version_; }

private:
    int OrderedIndex(double x) const;
    void AddToFigures(double stored);

    TChartSeries* owner_;
    std::vector<double> values_;
    double multiplier_ = 1.0;
    double sumOfValues_ = 0;
    double sumOfMagnitudes_ = 0;
    double highest_ = 0;
    double lowest_ = 0;
    unsigned long version_ = 0;
};

using TChartValueLists = std::vector<TChartValueList*>;

}  // namespace tallyhouse::chart
