// The value marks of a series: the look of the boxed texts with their arrows, the last layout of
// every mark, and the painter that draws one mark.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/canvas3d.h"
#include "chart/model/chart_brush.h"
#include "platform/geometry.h"

class TChartSeries;

enum TSeriesMarksStyle {
    smsValue,
    smsPercent,
    smsLabel,
    smsLabelPercent,
    smsLabelValue,
    smsLegend,
    smsPercentTotal,
    smsLabelPercentTotal,
    smsXValue
};

struct TSeriesMarkPosition {
    TPoint ArrowStart;
    TPoint ArrowEnd;
    bool Fixed = false;
    int BoxHeight = 0;
    TPoint BoxLeftTop;
    int BoxWidth = 0;
};

// Mark layouts by point index; missing entries are empty.
class TSeriesMarksPositions {
public:
    TSeriesMarkPosition* Get(int i) const;
    TSeriesMarkPosition& Ensure(int i);
    void Delete(int i);
    void Clear() { positions_.clear(); }
    int Count() const { return static_cast<int>(positions_.size()); }

private:
    std::vector<std::unique_ptr<TSeriesMarkPosition>> positions_;
};

class TSeriesMarks {
public:
    explicit TSeriesMarks(TChartSeries& series);
    TSeriesMarks(const TSeriesMarks&) = delete;
    TSeriesMarks& operator=(const TSeriesMarks&) = delete;

    bool Visible = false;
    int ArrowLength = 8;
    TChartArrowPen Arrow;
    TColor BackColor = 0x80FFFF;
    bool Transparent = false;
    TChartPen Frame;
    TFont Font;
    bool Clip = false;

    TSeriesMarksStyle Style() const { return style_; }
    void SetStyle(TSeriesMarksStyle value);

    int ZPosition = 0;
    TSeriesMarksPositions Positions;

    // Draws one mark (arrow, box and text lines) from its layout; a fixed stored layout wins.
    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position, TColor pointColor);
    // Extra box size a visible frame adds on each side.
    int FrameExtent() const;

private:
    void DrawArrow(const TSeriesMarkPosition& position, TColor pointColor);
    void DrawBox(const TSeriesMarkPosition& position);
    void DrawText(const TSeriesMarkPosition& position, const std::string& text);

    TChartSeries& series_;
    TSeriesMarksStyle style_ = smsLabel;
};

// Splits a text into lines at carriage returns.
std::vector<std::string> SplitLines(const std::string& text);
