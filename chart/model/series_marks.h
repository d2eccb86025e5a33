// The value marks of a series: the look of the boxed texts with their arrows, the last layout of
// every mark, and the painter that draws one mark.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/canvas/canvas3d.h"
#include "chart/model/chart_brush.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

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
    platform::TPoint ArrowStart;
    platform::TPoint ArrowEnd;
    bool Fixed = false;
    int BoxHeight = 0;
    platform::TPoint BoxLeftTop;
    int BoxWidth = 0;
};

// Mark layouts by point index; missing entries are empty.
class TSeriesMarksPositions {
public:
    // The pointer and the reference stay valid until the next Ensure, Delete or Clear.
    TSeriesMarkPosition* Get(int i) const;
    TSeriesMarkPosition& Ensure(int i);
    // Room for the layouts of points 0..count-1, made at once.
    void Reserve(int count);
    void Delete(int i);
    void Clear() {
        positions_.clear();
        present_.clear();
    }
    int Count() const { return static_cast<int>(positions_.size()); }

private:
    // One slot per point up to the last one laid out, all in one block: a chart of many points
    // lays out a mark for each of them.
    mutable std::vector<TSeriesMarkPosition> positions_;
    std::vector<bool> present_;
};

class TSeriesMarks {
public:
    explicit TSeriesMarks(TChartSeries& series);
    TSeriesMarks(const TSeriesMarks&) = delete;
    TSeriesMarks& operator=(const TSeriesMarks&) = delete;

    bool Visible = false;
    int ArrowLength = 8;
    TChartArrowPen Arrow;
    platform::TColor BackColor = 0x80FFFF;
    bool Transparent = false;
    TChartPen Frame;
    platform::TFont Font;
    bool Clip = false;

    TSeriesMarksStyle Style() const { return style_; }
    void SetStyle(TSeriesMarksStyle value);

    int ZPosition = 0;
    TSeriesMarksPositions Positions;

    // Draws one mark (arrow, box and text lines) from its layout; a fixed stored layout wins.
    // Between HoldMarks and DrawHeldMark a mark is drawn only once the next one is known, and
    // not at all when the next one covers it exactly.
    void DrawMark(int index, const std::string& text, TSeriesMarkPosition& position, platform::TColor pointColor);
    void HoldMarks();
    void DrawHeldMark();
    // Ends holding without drawing (a draw ended by an exception).
    void DropHeldMark();
    // Extra box size a visible frame adds on each side.
    int FrameExtent() const;

private:
    // A mark as it will be drawn, with the canvas settings its text is drawn in.
    struct TMarkDrawing {
        std::string text;
        TSeriesMarkPosition position;
        platform::TColor pointColor = platform::clNone;
        platform::TFont font;
        int bkMode = 0;
        platform::TColor bkColor = platform::clNone;
        int z = 0;
        // Every pixel the other paints, this one paints too (the colours aside).
        bool Covers(const TMarkDrawing& other) const;
    };
    void Draw(const TMarkDrawing& mark);
    // A mark with the same place and text covers every pixel of the one before: true when the
    // pens paint over what is beneath.
    bool LaterMarksHideEarlierOnes() const;
    void DrawArrow(const TSeriesMarkPosition& position, platform::TColor pointColor);
    void DrawBox(const TSeriesMarkPosition& position);
    void DrawText(const TSeriesMarkPosition& position, const std::string& text);

    TChartSeries& series_;
    TSeriesMarksStyle style_ = smsLabel;
    bool holding_ = false;
    std::optional<TMarkDrawing> held_;
};

// Splits a text into lines at carriage returns; the lines of a text holding any are in UTF-8.
std::vector<std::string> SplitLines(const std::string& text);
// How many lines a text has, and the width of the widest in the canvas font.
int LineCount(std::string_view text);
int WidestLine(platform::TRasterCanvas& canvas, std::string_view text);

}  // namespace tallyhouse::chart
