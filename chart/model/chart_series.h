// TChartSeries: the points of one series (values, colours, labels), its marks and what the chart
// asks of every series type while it lays out and draws a chart.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/model/series_marks.h"
#include "chart/model/value_list.h"
#include "platform/raster/color.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TCustomChart;
class TCustomAxisPanel;
class TChartAxis;
class TCustomChartAxis;
class TRasterCanvas3D;

enum THorizAxis { aTopAxis, aBottomAxis };
enum TVertAxis { aLeftAxis, aRightAxis };

class TChartSeries {
public:
    TChartSeries();
    virtual ~TChartSeries();
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    // The component name (shown in a series legend when the title is empty).
    std::string Name;

    // Published settings; the ones with setters repaint the chart when they change.
    std::string ColorSource;
    int Cursor = 0;
    std::string PercentFormat = "##0.## %";
    std::string ValueFormat = "#,##0.###";
    std::string Title;
    std::string XLabelsSource;
    bool ShowInLegend = true;
    THorizAxis HorizAxis = aBottomAxis;
    TVertAxis VertAxis = aLeftAxis;

    bool Active() const { return active_; }
    bool ColorEachPoint() const { return colorEachPoint_; }
    platform::TColor SeriesColor() const { return seriesColor_; }
    TCustomChart* ParentChart() const { return parentChart_; }
    TChartSeries* DataSource() const { return dataSource_; }
    void SetDataSource(TChartSeries* source);

    // Value lists: ValuesLists[0] is XValues, [1] is YValues; series types may add more.
    TChartValueLists ValuesLists;
    TChartValueList XValues;
    TChartValueList YValues;
    TSeriesMarks Marks;

    // Events; empty means not assigned.
    std::function<bool(TChartSeries&)> OnBeforeAdd;
    std::function<void(TChartSeries&, int)> OnAfterAdd;
    std::function<void(TChartSeries&)> OnClearValues;
    std::function<void(TChartSeries&, int, std::string&)> OnGetMarkText;
    std::function<void(TChartSeries&)> BeforeDrawValues;
    std::function<void(TChartSeries&)> AfterDrawValues;

    // Per-point storage, parallel to the value lists.
    std::vector<platform::TColor> PointColors;
    std::vector<std::string> PointLabels;

    // Drawing state set by the chart on every draw.
    int FirstVisible = -1;
    int LastVisible = -1;
    int ZOrder = 0;
    int StartZ = 0;
    int MiddleZ = 0;
    int EndZ = 0;
    bool RestrictToAxisRange = true;
    bool IncludeNextPoint = false;

    // Virtual operations, in the order the series types know them.
    virtual int CopyPointValues(const TChartSeries& source, int i);
    virtual int CopyPoint(const TChartSeries& source, int i);
    virtual void LoadFromSource(const TChartSeries& source);
    virtual bool UsesAxis(const TCustomChartAxis& axis) const;
    virtual void ClearStorage();
    virtual void SourcePointDeleted(TChartSeries& sender, int i);
    virtual void EndDrawPoints();
    virtual void PrepareForChart() {}
    virtual void BeginDrawPoints();
    virtual void DrawPoints();
    virtual void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position);
    virtual void DrawPoint(int) {}
    virtual platform::TColor PointColor(int i) const;
    virtual std::string PointLabel(int i) const;
    virtual double PointX(int i) const { return XValues.Value(i); }
    virtual double PointY(int i) const { return YValues.Value(i); }
    virtual void PointAdded(int i);
    virtual void SetActive(bool value);
    virtual void SetColorEachPoint(bool value);
    virtual void SetParentChart(TCustomChart* chart);
    virtual void SetSeriesColor(platform::TColor value);
    virtual int AppendValue(double value, const std::string& label = "", platform::TColor color = platform::AutoColor);
    virtual int AppendEmpty(const std::string& label);
    virtual int InsertPoint(double x, double y, const std::string& label = "", platform::TColor color = platform::AutoColor);
    // Room for count points in all, so that a series of a million points is filled without being
    // moved again and again.
    void ReservePoints(int count);
    virtual void ClearPoints();
    virtual int LegendItemCount() const { return PointCount(); }
    virtual void DeletePoint(int i);
    virtual void FillSampleValues(int numValues);
    virtual bool AcceptsSource(const TChartSeries& source) const { return &source != this; }
    virtual int LegendItemToPoint(int row) const { return row; }
    virtual double HighestX() const { return XValues.HighestValue(); }
    virtual double HighestY() const { return YValues.HighestValue(); }
    virtual double HighestZ() const { return ZOrder; }
    virtual double LowestX() const { return XValues.LowestValue(); }
    virtual double LowestY() const { return YValues.LowestValue(); }
    virtual double LowestZ() const { return ZOrder; }
    virtual int DefaultSampleCount() const { return 25; }
    virtual void PrepareAsPreview(bool) {}
    virtual std::string EditorName() const { return ""; }
    virtual int PointPixelX(int i) const;
    virtual int PointPixelY(int i) const;
    virtual void InsertExtraValues(int i);
    virtual TChartValueList& FindValueList(const std::string& name);
    virtual int PointAtPixel(int, int) const { return -1; }
    virtual double StackingValue(int i) const { return MarkValue(i); }
    virtual double MarkValue(int i) const { return PointY(i); }
    virtual double StackedSum(int i, bool includeSelf) const;
    virtual TChartValueList& MainValues() { return YValues; }
    virtual const TChartValueList& MainValues() const { return YValues; }
    virtual bool DrawsPointsForward() const { return true; }
    virtual bool DrawsSeriesForward(int) const { return true; }
    virtual void ClaimDepthSlot();
    virtual void PaintLegendSymbol(int i, const platform::TRect& rect);
    virtual void PaintLegendBox(int i, const platform::TRect& rect);
    // Lets a series type set brush style and background colour of its legend box.
    virtual void LegendFill(int, platform::TColor&, platform::TBrushStyle&) {}
    virtual void HorizontalMargins(int& left, int& right) { left = right = 0; }
    virtual void VerticalMargins(int& top, int& bottom) { top = bottom = 0; }
    virtual bool UsesAxes() const { return true; }
    virtual void StyleChanged() { Repaint(); }

    // Whole-series operations.
    int PointCount() const { return XValues.Count(); }
    std::string MarkText(int i) const;
    std::string PercentText(int i, bool withTotal) const;
    std::string LabelOrValue(int i) const;
    int MaxMarkWidth() const;
    // FirstVisible and LastVisible for the coming draw.
    void CalcVisiblePoints();
    void DrawMarks();
    // The chart axes this series maps through; null without a chart.
    TChartAxis* GetHorizAxis() const;
    TChartAxis* GetVertAxis() const;
    TRasterCanvas3D& Canvas() const;
    // Asks the chart to repaint (no effect without a chart).
    void Repaint() const;
    // Called by a value list whose values changed as a whole.
    void ValuesChanged();
    // Whether s is of this series' class or of a class derived from it; series types override
    // it with a cast to their own class.
    virtual bool ClassIncludes(const TChartSeries& s) const;
    // Either series is a kind of the other (stacking, side-by-side bars).
    bool SameClass(const TChartSeries& other) const { return ClassIncludes(other) || other.ClassIncludes(*this); }

protected:
    void NotifyDependents(const std::function<void(TChartSeries&)>& action);

private:
    // Lays out each visible mark and hands it to PaintMark.
    void LayOutMarks();

    bool active_ = true;
    bool colorEachPoint_ = false;
    platform::TColor seriesColor_ = platform::AutoColor;
    TCustomChart* parentChart_ = nullptr;
    TChartSeries* dataSource_ = nullptr;
    std::vector<TChartSeries*> dependents_;
};

using TChartSeriesList = std::vector<TChartSeries*>;

}  // namespace tallyhouse::chart
