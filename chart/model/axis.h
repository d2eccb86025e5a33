// The chart's axes: value range from the series, value-to-pixel mapping on the plot rectangle,
// the room each axis takes beside the plot, and the drawing of title, labels, ticks, grid and line.
#pragma once

#include <string>

#include "chart/canvas/canvas3d.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TCustomAxisPanel;
class TChartSeries;

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

struct TChartAxisTitle {
    std::string Caption;
    int Angle = 0;
    platform::TFont Font;
};

class TCustomChartAxis {
public:
    enum class Side { Left, Top, Right, Bottom, Depth };
    TCustomChartAxis(TCustomAxisPanel& chart, Side side);
    virtual ~TCustomChartAxis() = default;
    TCustomChartAxis(const TCustomChartAxis&) = delete;
    TCustomChartAxis& operator=(const TCustomChartAxis&) = delete;

    // Range.
    bool Automatic = true;
    bool AutomaticMaximum = true;
    bool AutomaticMinimum = true;
    bool Inverted = false;
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    double Increment() const { return increment_; }
    bool Logarithmic() const { return logarithmic_; }
    void SetMinimum(double value);
    void SetMaximum(double value);
    void SetMinMax(double minimum, double maximum);
    void SetIncrement(double value);
    void SetLogarithmic(bool value);

    // Line, ticks and grid.
    TChartAxisPen Axis;
    TDarkGrayPen Ticks;
    int TickLength = 4;
    TDarkGrayPen TicksInner;
    int TickInnerLength = 0;
    TDarkGrayPen MinorTicks;
    int MinorTickLength = 2;
    int MinorTickCount = 3;
    bool TickOnLabelsOnly = true;
    TDottedGrayPen Grid;
    bool GridCentered = false;

    // Labels.
    bool Labels = true;
    platform::TFont LabelsFont;
    bool LabelsOnAxis = true;
    int LabelsSize = 0;
    TAxisLabelStyle LabelStyle = talAuto;
    bool LabelsMultiLine = false;
    std::string AxisValuesFormat = "#,##0.###";
    std::string DateTimeFormat;
    bool ExactDateTime = true;
    bool RoundFirstLabel = true;
    int LabelsAngle() const { return labelsAngle_; }
    int LabelsSeparation() const { return labelsSeparation_; }
    void SetLabelsAngle(int value);
    void SetLabelsSeparation(int value);

    TChartAxisTitle Title;
    int TitleSize = 0;
    bool Visible = true;

    // Working state of the current draw.
    bool IsHorizontal() const { return side_ == Side::Top || side_ == Side::Bottom; }
    bool IsFarSide() const { return side_ == Side::Top || side_ == Side::Right || side_ == Side::Depth; }
    bool IsDepth() const { return side_ == Side::Depth; }
    Side AxisSide() const { return side_; }
    bool DateTimeValues = false;
    double RangeMin = 0;
    double RangeMax = 0;
    double RangeSpan = 0;
    int LinePos = 0;
    int LabelsEdge = 0;
    int TitleEdge = 0;

    void AdjustRange();
    // Reserves title, label and tick room on this axis' side of rect.
    platform::TRect ShrinkPlotRect(platform::TRect rect);
    void SetPixelRange(const platform::TRect& margins);
    int ValueToPixel(double value) const;
    int ValueToPixelX(double value) const;
    int ValueToPixelY(double value) const;
    int ValueToDepth(double value) const;
    double PixelToValue(int pixel) const;

    double ComputeIncrement() const;
    std::string LabelText(double value) const;
    int WidestLabel() const;
    TAxisLabelStyle EffectiveLabelStyle() const;
    void DrawAxis();

    // Whether a series maps its horizontal (resp. vertical) values through this axis.
    bool IsSeriesAxis(const TChartSeries& series) const;
    // The first active series whose axis in this direction is this one.
    TChartSeries* FirstSeries() const;
    TCustomAxisPanel& Chart() const { return chart_; }

private:
    double PixelToValueIn(int pixel, const platform::TRect& plot) const;
    double LogOrLinear(double value) const;
    void AutomaticDepthRange();
    int WallSize() const;
    int TickRoom() const;
    void DrawTitle();
    void DrawValueLabels(double inc);
    void DrawValueLabel(double value);
    void DrawTextLabels(TAxisLabelStyle style);
    bool DrawLabelAt(int pixel, double value, const std::string& text, bool check);
    void DrawLabelText(int pixel, const std::string& text);
    void DrawTicksAndGrid(int pixel, double value);
    void DrawTick(int pixel, int offset, int length);
    void DrawGridLine(int pixel);
    void DrawLine();

    TCustomAxisPanel& chart_;
    Side side_;
    double minimum_ = 0;
    double maximum_ = 0;
    double increment_ = 0;
    bool logarithmic_ = false;
    int labelsAngle_ = 0;
    int labelsSeparation_ = 10;
    // The previous drawn label during DrawAxis: its pixel and half its footprint.
    bool hasPrevious_ = false;
    int previousPixel_ = 0;
    int previousHalf_ = 0;
    bool hasPreviousTick_ = false;
    int previousTick_ = 0;
};

class TChartAxis : public TCustomChartAxis {
public:
    using TCustomChartAxis::TCustomChartAxis;
};

class TChartDepthAxis : public TCustomChartAxis {
public:
    explicit TChartDepthAxis(TCustomAxisPanel& chart) : TCustomChartAxis(chart, Side::Depth) { Visible = false; }
};

// The increment sequence 1, 2, 5, 10, 20, 50, ... extended to every decade.
double NextStep(double x);

}  // namespace tallyhouse::chart
