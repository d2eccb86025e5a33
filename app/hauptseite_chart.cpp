// The chart parameters of a view request: the first group read after the tally, the second
// by grafikerstellen, which also turns the tally into the points of the chosen series.
#include <algorithm>
#include <climits>
#include <optional>

#include "app/hauptseite.h"
#include "app/pages.h"
#include "chart/canvas/color_shade.h"
#include "chart/model/palette.h"
#include "platform/convert.h"
#include "platform/exception.h"

namespace {

constexpr int kStyleCount = 4;
constexpr int kDefaultColor = 10;
constexpr int kAutoColorIndex = 99;

int FieldInt(const std::string& name, const std::string& fallback) { return StrToInt(HttpGetField(name, fallback)); }

// A parameter without a default: absent when missing or empty.
std::optional<std::string> OptionalField(const std::string& name) {
    std::string value = HttpGetField(name, "");
    if (value.empty()) return std::nullopt;
    return value;
}

std::optional<int> OptionalInt(const std::string& name) {
    const std::optional<std::string> value = OptionalField(name);
    if (!value) return std::nullopt;
    return StrToInt(*value);
}

void SetColorFromField(const std::string& name, TColor& target) {
    if (const std::optional<int> index = OptionalInt(name)) target = PaletteColor(*index);
}

bool ValidChartSize(int pixels) { return pixels >= 1 && pixels <= kMaxChartSize; }

}  // namespace

void THauptseite::NewChart() {
    Ausgabegrafik.Chart = nullptr;
    Grafik = std::make_unique<TPollChart>();
    // A chart of a great many answers takes a while: once the client has gone, nobody would
    // see it, so the view ends there.
    Grafik->Chart1.OnDrawing = [] {
        if (!HttpClientConnected()) throw EClientGone("The client has gone; the chart was not finished");
    };
    Ausgabegrafik.Chart = &Grafik->Chart1;
}

bool THauptseite::ChartParameters() {
    NewChart();
    TChart& chart = Grafik->Chart1;
    Stil = FieldInt("style", "0");
    if (Stil < 0 || Stil >= kStyleCount) Stil = 0;
    Farbe = FieldInt("color", "10");
    if (Farbe < 0 || Farbe > 15) Farbe = kDefaultColor;
    chart.Height = FieldInt("height", "250");
    chart.Width = FieldInt("width", "400");
    if (!ValidChartSize(chart.Width) || !ValidChartSize(chart.Height)) {
        SendMessage(kChartSizeMessage);
        return false;
    }
    chart.Legend.Visible = HttpGetField("legend", "yes") == "yes";
    chart.Legend.TextStyle = HttpGetField("legendstyle", "value") == "value" ? ltsLeftValue : ltsLeftPercent;
    if (HttpGetField("border", "no") == "no") {
        chart.BorderStyle = TBorderStyle::bsNone;
        chart.BevelOuter = bvNone;
        chart.BevelInner = bvNone;
    }
    SetColorFromField("backcolor", chart.Color);
    SetColorFromField("chartbacktopcolor", chart.BackWall.Color);
    SetColorFromField("chartbackbottomcolor", chart.BottomWall.Color);
    if (const std::optional<std::string> number = OptionalField("number")) ShowAnswerCount(*number);
    return true;
}

void THauptseite::ShowAnswerCount(const std::string& number) {
    TChartTitle& title = Grafik->Chart1.Title;
    SetColorFromField("numbercolor", title.Font.Color);
    title.Text = {std::to_string(answerTotal_) + " " + number};
    title.Visible = true;
}

void THauptseite::grafikerstellen() {
    TChartSeries& series = Grafik->SeriesAt(Stil);
    series.SetActive(true);
    const TColor base = PaletteColor(Farbe);
    TColor color = base;
    const bool autoColor = HttpGetField("color", "0") == std::to_string(kAutoColorIndex);
    const std::size_t points = static_cast<std::size_t>(series.PointCount()) + Daten.size();
    series.ReservePoints(static_cast<int>(std::min<std::size_t>(points, INT_MAX)));
    for (std::size_t k = 0; k < Daten.size(); ++k) {
        series.AppendValue(static_cast<double>(Daten[k].count), Daten[k].label, autoColor ? AutoColor : color);
        color = Darker(base, static_cast<int>((15 * (k + 1)) % 256));
    }
    // The series holds every answer now: a poll of a million answers gives the tally's memory
    // back before the chart is drawn.
    Daten = Tally{};
    series.SetColorEachPoint(true);
    if (HttpGetField("marks", "yes") != "yes") series.Marks.Visible = false;
    series.Marks.SetStyle(HttpGetField("marksstyle", "percent") == "percent" ? smsPercent : smsValue);
    ThreeDParameters();
}

void THauptseite::ThreeDParameters() {
    TChart& chart = Grafik->Chart1;
    chart.View3D = HttpGetField("3D", "no") == "yes";
    if (!chart.View3D) return;
    chart.View3DOptions.Orthogonal = HttpGetField("3Dorthogonal", "yes") == "yes";
    if (const std::optional<int> rotation = OptionalInt("3DRotation")) chart.View3DOptions.Rotation = *rotation;
    if (const std::optional<int> elevation = OptionalInt("3DElevation")) chart.View3DOptions.Elevation = *elevation;
    if (const std::optional<int> zoom = OptionalInt("3DZoom")) chart.View3DOptions.Zoom = *zoom;
    if (const std::optional<int> depth = OptionalInt("3DDepth")) chart.SetChart3DPercent(*depth);
}
