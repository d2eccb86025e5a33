// TChartValueList: ordered insertion and the running figures.
#include <gtest/gtest.h>

#include <vector>

#include "chart/model/value_list.h"

using namespace tallyhouse::chart;

namespace {

std::vector<double> Values(const TChartValueList& list) {
    std::vector<double> v;
    for (int i = 0; i < list.Count(); ++i) v.push_back(list.Value(i));
    return v;
}

}  // namespace

TEST(ValueList, OrderedInsertionKeepsEqualValuesInInsertionOrder) {
    TChartValueList ascending(nullptr, "X");
    ascending.Order = loAscending;
    std::vector<int> at;
    for (double x : {3.0, 1.0, 2.0, 2.0, 5.0, 0.0}) at.push_back(ascending.AppendOrdered(x));
    EXPECT_EQ(at, (std::vector<int>{0, 0, 1, 2, 4, 0}));  // the second 2 goes after the first
    EXPECT_EQ(Values(ascending), (std::vector<double>{0, 1, 2, 2, 3, 5}));

    TChartValueList descending(nullptr, "Y");
    descending.Order = loDescending;
    for (double x : {1.0, 3.0, 2.0, 3.0}) descending.AppendOrdered(x);
    EXPECT_EQ(Values(descending), (std::vector<double>{3, 3, 2, 1}));

    TChartValueList unordered(nullptr, "Y");
    for (double x : {3.0, 1.0, 2.0}) unordered.AppendOrdered(x);
    EXPECT_EQ(Values(unordered), (std::vector<double>{3, 1, 2}));
}

TEST(ValueList, RunningFiguresFollowInsertRemoveAndChange) {
    TChartValueList list(nullptr, "Y");
    for (double x : {67.0, -58.0, 32.0}) list.AppendOrdered(x);
    EXPECT_DOUBLE_EQ(list.SumOfValues(), 41);
    EXPECT_DOUBLE_EQ(list.SumOfMagnitudes(), 157);
    EXPECT_DOUBLE_EQ(list.HighestValue(), 67);
    EXPECT_DOUBLE_EQ(list.LowestValue(), -58);
    list.RemoveAt(0);  // the highest goes: the extremes are rescanned
    EXPECT_DOUBLE_EQ(list.HighestValue(), 32);
    EXPECT_DOUBLE_EQ(list.SumOfMagnitudes(), 90);
    list.SetValue(0, 10);  // -58 becomes 10
    EXPECT_DOUBLE_EQ(list.SumOfValues(), 42);
    EXPECT_DOUBLE_EQ(list.SumOfMagnitudes(), 42);
    EXPECT_DOUBLE_EQ(list.LowestValue(), 10);
    EXPECT_DOUBLE_EQ(list.HighestValue(), 32);
    EXPECT_EQ(list.IndexOfValue(32), 1);
    EXPECT_EQ(list.IndexOfValue(7), -1);
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_DOUBLE_EQ(list.SumOfMagnitudes(), 0);
    EXPECT_DOUBLE_EQ(list.HighestValue(), 0);
}

TEST(ValueList, SettingEveryValueAtOnceEqualsSettingThemOneByOne) {
    TChartValueList one(nullptr, "X"), all(nullptr, "X");
    for (double x : {67.0, -58.0, 32.0, 5.0}) {
        one.AppendOrdered(x);
        all.AppendOrdered(x);
    }
    one.SetMultiplier(2);
    all.SetMultiplier(2);
    const std::vector<double> values{-1, 7, 3, -9};
    for (int i = 0; i < 4; ++i) one.SetValue(i, values[static_cast<size_t>(i)]);
    const unsigned long before = all.Version();
    all.SetValues(values);
    EXPECT_NE(all.Version(), before) << "a change of values is a new version";
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(all.Value(i), one.Value(i)) << i;
    EXPECT_DOUBLE_EQ(all.SumOfValues(), one.SumOfValues());
    EXPECT_DOUBLE_EQ(all.SumOfMagnitudes(), one.SumOfMagnitudes());
    EXPECT_DOUBLE_EQ(all.HighestValue(), one.HighestValue());
    EXPECT_DOUBLE_EQ(all.LowestValue(), one.LowestValue());
}

TEST(ValueList, MultiplierScalesReadValuesAndTheExtremes) {
    TChartValueList list(nullptr, "Y");
    list.AppendOrdered(2);
    list.AppendOrdered(-4);
    list.SetMultiplier(10);
    EXPECT_DOUBLE_EQ(list.Value(0), 20);
    EXPECT_DOUBLE_EQ(list.LastValue(), -40);
    EXPECT_DOUBLE_EQ(list.HighestValue(), 20);
    EXPECT_DOUBLE_EQ(list.LowestValue(), -40);
    TChartValueList copy(nullptr, "Z");
    list.Order = loDescending;
    copy.Assign(list);
    EXPECT_EQ(copy.Name, "Z");
    EXPECT_EQ(copy.Order, loDescending);
    EXPECT_DOUBLE_EQ(copy.Multiplier(), 10);
    EXPECT_EQ(copy.Count(), 0);
}
