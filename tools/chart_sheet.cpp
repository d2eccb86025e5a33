// Draws charts with walls, axes, legend, title and marks in 2D and 3D into build/sheets/chart.png
// for review, using the program's stored chart with a plain column series of the sheet's own.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/poll_chart.h"
#include "chart/model/chart.h"
#include "tools/sheet.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::chart;
using namespace tallyhouse::app;

namespace {

constexpr int kCellWidth = 400;
constexpr int kCellHeight = 250;

// Columns 20 pixels wide, boxes in 3D, with room for the marks above them.
class TColumnSeries : public TChartSeries {
public:
    TColumnSeries() {
        Marks.Visible = true;
        Marks.ArrowLength = 20;
    }
    void DrawPoint(int i) override {
        TRasterCanvas3D& canvas = Canvas();
        const int x = PointPixelX(i), y = PointPixelY(i);
        const int bottom = GetVertAxis()->ValueToPixel(0);
        canvas.Pen = TPen{};
        canvas.Brush = TBrush{PointColor(i), TBrushStyle::bsSolid, nullptr};
        if (ParentChart()->View3D)
            canvas.Box3D(x - 10, x + 10, y, bottom, StartZ, EndZ, true);
        else
            canvas.Rectangle(x - 10, y, x + 10, bottom);
    }
    void PaintMark(int i, const std::string& text, TSeriesMarkPosition& position) override {
        position.BoxLeftTop.Y -= Marks.ArrowLength;
        position.ArrowEnd.Y -= Marks.ArrowLength;
        TChartSeries::PaintMark(i, text, position);
    }
    void HorizontalMargins(int& left, int& right) override { left = right = 20; }
    void VerticalMargins(int& top, int& bottom) override {
        top = Marks.Visible ? 12 + Marks.ArrowLength + 1 : 0;
        bottom = 0;
    }
    double LowestY() const override { return std::min(0.0, YValues.LowestValue()); }
};

struct Setup {
    std::function<void(TChart&, TColumnSeries&)> apply;
};

// The program's stored chart, flat and without a border, as a default view request draws it.
void Stored(TChart& chart) {
    chart.BorderStyle = TBorderStyle::bsNone;
    chart.BevelOuter = bvNone;
    chart.BevelInner = bvNone;
    chart.View3D = false;
}

void Fill(TColumnSeries& series) {
    const char* labels[] = {"sehr gut", "gut", "mittel", "schlecht", "sehr schlecht"};
    const double counts[] = {67, 58, 32, 18, 6};
    series.SetColorEachPoint(true);
    for (int i = 0; i < 5; ++i) series.AppendValue(counts[i], labels[i]);
    series.Marks.SetStyle(smsPercent);
    series.Marks.BackColor = clWhite;
}

TSheet::CellPainter ChartCell(Setup setup) {
    return [setup](TBitmap& target, const TRect& cell) {
        TPollChart poll;
        TChart& chart = poll.Chart1;
        TColumnSeries series;
        Stored(chart);
        series.SetParentChart(&chart);
        Fill(series);
        setup.apply(chart, series);
        chart.PaintTo(target, cell);
        series.SetParentChart(nullptr);
    };
}

}  // namespace

int main(int argc, char** argv) {
    TSheet sheet("Chart core: panel, walls, axes, legend, title, marks", 2, kCellWidth, kCellHeight);
    sheet.Section("2D");
    sheet.Add("default request: legend with values, percent marks", ChartCell({[](TChart&, TColumnSeries&) {}}));
    sheet.Add("border, title in blue, legend with percentages", ChartCell({[](TChart& c, TColumnSeries&) {
                  c.BevelOuter = bvRaised;
                  c.BevelInner = bvLowered;
                  c.Title.Text = {"181 Antworten"};
                  c.Title.Visible = true;
                  c.Legend.TextStyle = ltsLeftPercent;
              }}));
    sheet.Add("legend at the bottom, panel aqua, wall yellow", ChartCell({[](TChart& c, TColumnSeries&) {
                  c.Legend.Alignment = laBottom;
                  c.Color = clAqua;
                  c.BackWall.Color = clYellow;
              }}));
    sheet.Add("legend left, value labels on both axes, no marks", ChartCell({[](TChart& c, TColumnSeries& s) {
                  c.Legend.Alignment = laLeft;
                  s.Marks.Visible = false;
                  c.BottomAxis.LabelStyle = talValue;
              }}));
    sheet.Section("3D");
    sheet.Add("oblique view, walls", ChartCell({[](TChart& c, TColumnSeries&) {
                  c.View3D = true;
                  c.View3DOptions.Orthogonal = true;
              }}));
    sheet.Add("rotated 360/315 (stored view), floor blue", ChartCell({[](TChart& c, TColumnSeries&) {
                  c.View3D = true;
                  c.BottomWall.Color = clBlue;
              }}));
    sheet.Add("rotated 300/330, zoom 80", ChartCell({[](TChart& c, TColumnSeries&) {
                  c.View3D = true;
                  c.View3DOptions.Rotation = 300;
                  c.View3DOptions.Elevation = 330;
                  c.View3DOptions.Zoom = 80;
              }}));
    sheet.Add("no active series: panel and walls only", ChartCell({[](TChart& c, TColumnSeries& s) {
                  c.View3D = true;
                  c.View3DOptions.Orthogonal = true;
                  s.SetActive(false);
              }}));
    const std::string path = sheet.Write("chart", argc > 1 ? argv[1] : "");
    std::printf("%s\n", path.c_str());
    return 0;
}
