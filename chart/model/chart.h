// The chart: a drawing panel with margins (TCustomChartPanel), series and axes with the 3D depth
// state (TCustomAxisPanel), walls, legend and titles (TCustomChart), published as TChart.
// PaintTo lays the chart out from scratch and draws it in a fixed order.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "chart/model/axis.h"
#include "chart/canvas/canvas3d.h"
#include "chart/model/chart_gradient.h"
#include "chart/model/chart_series.h"
#include "chart/model/chart_title.h"
#include "chart/model/chart_walls.h"
#include "chart/model/legend.h"
#include "chart/model/panel_background.h"
#include "platform/raster/bitmap.h"
#include "platform/raster/geometry.h"

namespace tallyhouse::chart {

class TCustomChartPanel {
public:
    TCustomChartPanel();
    virtual ~TCustomChartPanel();
    TCustomChartPanel(const TCustomChartPanel&) = delete;
    TCustomChartPanel& operator=(const TCustomChartPanel&) = delete;

    int Width = 400;
    int Height = 250;
    platform::TColor Color = platform::clBtnFace;
    bool View3D = true;
    TView3DOptions View3DOptions;
    // Percent of the panel's width (left, right) resp. height (top, bottom): left 0, top 1, right 2, bottom 3.
    std::array<int, 4> Margins = {3, 4, 3, 4};
    int& MarginLeft() { return Margins[0]; }
    int& MarginTop() { return Margins[1]; }
    int& MarginRight() { return Margins[2]; }
    int& MarginBottom() { return Margins[3]; }
    TPanelBevel BevelInner = bvNone;
    TPanelBevel BevelOuter = bvRaised;
    int BevelWidth = 1;
    int BorderWidth = 0;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;
    bool Monochrome = false;

    TRasterCanvas3D& Canvas() { return *canvas_; }
    const TRasterCanvas3D& Canvas() const { return *canvas_; }
    // Draws through another canvas from now on: a scaled raster or a vector document, behind the
    // same drawing calls.
    void SetCanvas(std::unique_ptr<TRasterCanvas3D> canvas) { canvas_ = std::move(canvas); }

    // Layout state of the current draw.
    platform::TRect PanelRect;
    platform::TRect PlotRect;
    int PlotWidth = 0;
    int PlotHeight = 0;
    int PlotXCenter = 0;
    int PlotYCenter = 0;

    // Repairs a collapsed PlotRect and derives the plot size and centre from it.
    void RecalcWidthHeight();
    // Marks the chart for repaint; drawing on request makes the mark moot.
    virtual void RequestRepaint() { repaintRequested_ = true; }
    void Invalidate() { RequestRepaint(); }
    bool RepaintRequested() const { return repaintRequested_; }
    // Copies a font into the canvas font.
    void AssignCanvasFont(const platform::TFont& font);
    platform::TRect GetDrawRect() const { return PlotRect; }

    // Draws the whole chart into rect of destination.
    virtual void PaintTo(platform::TBitmap& destination, const platform::TRect& rect);

protected:
    virtual void DrawContents(const platform::TRect& userRect) = 0;

private:
    std::unique_ptr<TRasterCanvas3D> canvas_;
    bool repaintRequested_ = false;
};

class TCustomAxisPanel : public TCustomChartPanel {
public:
    TCustomAxisPanel();
    ~TCustomAxisPanel() override;

    TChartSeriesList SeriesList;
    TChartAxis LeftAxis;
    TChartAxis TopAxis;
    TChartAxis RightAxis;
    TChartAxis BottomAxis;
    TChartDepthAxis DepthAxis;

    int Chart3DPercent() const { return chart3DPercent_; }
    void SetChart3DPercent(int value);
    bool AxisVisible = true;
    bool ClipPoints = true;
    bool View3DWalls = true;
    int MaxPointsPerPage = 0;
    int Page = 1;
    bool ScaleLastPage = true;

    std::function<void(TCustomAxisPanel&)> OnAfterDraw;
    // May replace the text of an axis label; the series and point index are null and -1 for value labels.
    std::function<void(TCustomChartAxis&, TChartSeries*, int, std::string&)> OnGetAxisLabel;
    std::function<void(TCustomAxisPanel&)> OnBeforeDrawWalls;
    std::function<void(TCustomAxisPanel&)> OnBeforeDrawSeries;
    // Called now and then while a draw works through many points (legend rows, bars, slices,
    // marks); it may raise an exception to end the draw.
    std::function<void()> OnDrawing;
    // Calls OnDrawing at every 4096th of the points a loop works through.
    void DrawingGoesOn(int done) const {
        if (OnDrawing && done % 4096 == 4095) OnDrawing();
    }

    // 3D depth state of the current draw.
    int TopZOrder = 0;
    int SlotDepth = 0;
    int SlotDepthY = 0;
    int DepthTotal = 0;
    int DepthTotalY = 0;
    bool UseZOrder = true;

    // Series list operations (a series joins through TChartSeries::SetParentChart).
    int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
    TChartSeries& Series(int i) const { return *SeriesList[static_cast<std::size_t>(i)]; }
    int ActiveSeriesCount() const;
    TChartSeries* FirstActiveSeries() const;
    void AddSeries(TChartSeries& series);
    void RemoveSeries(TChartSeries& series);
    // A palette colour no other series uses yet (the first palette colour when all are taken).
    platform::TColor FreeSeriesColor(bool checkBackground) const;
    virtual bool ColorAvailable(platform::TColor color, bool checkBackground) const;

    // An axis is drawn when axes and it are visible and an active series maps through it.
    bool AxisDrawn(const TCustomChartAxis& axis) const;
    virtual int WallSizeForAxis(const TCustomChartAxis&) const { return 0; }
    // Thickness of the back wall when walls are drawn (the 3D box leaves room for it).
    virtual int BackWallSize() const { return 0; }
    virtual std::string FormatLegendText(const TChartSeries& series, int index) const;
    // Sets the canvas brush for a fill: colour, style and the background behind a hatch.
    void SetBrushForFill(platform::TColor color, platform::TBrushStyle style, platform::TColor backColor);

protected:
    void DrawContents(const platform::TRect& userRect) override;
    virtual void PaintPanelBackground(const platform::TRect&) {}
    virtual void PaintTitlesAndLegend() {}
    virtual void PaintWalls() {}
    virtual void LayoutAxes();
    virtual void ApplySeriesMargins();

private:
    void PrepareSeries();
    void AssignDepthSlots();
    void ComputeDepthSizes();
    void ShrinkForAxes();
    void SetSeriesDepths();
    void DrawAxes();
    void DrawAllSeries();
    void DrawSeries(TChartSeries& series);
    void DrawSharedSlot(std::size_t first);
    void ClipToPlot();
    void DrawSeriesMarks(TChartSeries& series);
    void ResetCanvas();
    bool SharesSlot(const TChartSeries& series) const;

    int chart3DPercent_ = 15;
};

enum class TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

class TCustomChart : public TCustomAxisPanel {
public:
    TCustomChart();

    TChartTitle Title;
    TChartTitle Foot;
    TChartLegend Legend;
    TChartWall BackWall;
    TChartWall LeftWall;
    TChartWall BottomWall;
    TChartGradient Gradient;
    bool BackImageInside = false;
    bool AllowZoom = true;
    TPanningMode AllowPanning = TPanningMode::pmBoth;
    bool AnimatedZoom = false;
    int AnimatedZoomSteps = 8;

    platform::TColor BackColor() const { return BackWall.Color; }
    void SetBackColor(platform::TColor color);
    TChartPen& Frame() { return BackWall.Pen; }

    std::function<void(TCustomChart&, int, std::string&)> OnGetLegendText;
    std::function<void(TCustomChart&, int, int&, int&)> OnGetLegendPos;
    std::function<void(TCustomChart&, platform::TRect&)> OnGetLegendRect;

    int WallSizeForAxis(const TCustomChartAxis& axis) const override;
    int BackWallSize() const override { return View3DWalls ? BackWall.Size : 0; }
    std::string FormatLegendText(const TChartSeries& series, int index) const override;
    // The wall sizes that take part in the 3D layout (0 in 2D or without walls).
    int LeftWallSize() const;
    int BottomWallSize() const;

protected:
    void PaintPanelBackground(const platform::TRect& rect) override;
    void PaintTitlesAndLegend() override;
    void PaintWalls() override;
    void FillBackground(const platform::TRect& rect);
    void PrepareWallCanvas(const TChartWall& wall);
};

class TChart : public TCustomChart {
public:
    TChart() = default;
};

}  // namespace tallyhouse::chart
