// The chart parameters of a view request: the first group read after the tally, the second
// by grafikerstellen, which also turns the tally into the points of the chosen series.
#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

#include "app/hauptseite.h"
#include "app/pages.h"
#include "chart/canvas/color_shade.h"
#include "chart/model/palette.h"
#include "platform/text/convert.h"
#include "platform/os/exception.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace tallyhouse::chart;
using namespace tallyhouse::image;

namespace {

constexpr int kStyleCount = 4;
constexpr int kDefaultColor = 10;
constexpr int kAutoColorIndex = 99;
constexpr int kMaxScale = 4;

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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "#RRGGBB", any colour; none for anything else.
std::optional<TColor> HexColor(std::string_view value) {
    if (value.size() != 7 || value[0] != '#') return std::nullopt;
    unsigned rgb = 0;
    for (const char c : value.substr(1)) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        rgb = rgb * 16 + static_cast<unsigned>(digit);
    }
    return RGB(rgb >> 16, rgb >> 8, rgb);
}

bool IsHexColorField(const std::string& value) { return !value.empty() && value[0] == '#'; }

// A colour parameter: a palette number, or #RRGGBB. False for a "#" value that is no colour.
bool SetColorFromField(const std::string& name, TColor& target) {
    const std::optional<std::string> value = OptionalField(name);
    if (!value) return true;
    if (!IsHexColorField(*value)) {
        target = PaletteColor(StrToInt(*value));
        return true;
    }
    const std::optional<TColor> rgb = HexColor(*value);
    if (rgb) target = *rgb;
    return rgb.has_value();
}

// How many times as large a raster chart is drawn: 1 when not given; none unless 1 to 4.
std::optional<int> ScaleField() {
    const std::string value = HttpGetField("scale", "");
    if (value.empty()) return 1;
    if (value.size() == 1 && value[0] >= '1' && value[0] < '1' + kMaxScale) return value[0] - '0';
    return std::nullopt;
}

std::optional<bool> CircledField() {
    const std::string value = HttpGetField("circled", "");
    if (value.empty() || value == "no") return false;
    if (value == "yes") return true;
    return std::nullopt;
}

TChartFormat ChartFormatOf(TViewFormat format) {
    return format == TViewFormat::Png ? PngFormat : format == TViewFormat::Svg ? SvgFormat : GifFormat;
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
    const std::string color = HttpGetField("color", "10");
    if (IsHexColorField(color) && !HexColor(color)) return Refuse(kColorMessage);
    Farbe = IsHexColorField(color) ? kDefaultColor : StrToInt(color);
    if (Farbe < 0 || Farbe > 15) Farbe = kDefaultColor;
    chart.Height = FieldInt("height", "250");
    chart.Width = FieldInt("width", "400");
    const std::optional<int> scale = ScaleField();
    const std::optional<bool> circled = CircledField();
    if (!scale) return Refuse(kScaleMessage);
    if (!circled) return Refuse(kCircledMessage);
    // The limits hold for the picture as drawn, scale included.
    if (!ValidChartSize(chart.Width) || !ValidChartSize(chart.Height) || !ValidChartSize(chart.Width * *scale) ||
        !ValidChartSize(chart.Height * *scale))
        return Refuse(kChartSizeMessage);
    Ausgabegrafik.ChartFormat = ChartFormatOf(viewFormat_);
    Ausgabegrafik.Scale = *scale;
    Ausgabegrafik.Caption = Dateiname;
    Grafik->Series4.SetCircled(*circled);
    chart.Legend.Visible = HttpGetField("legend", "yes") == "yes";
    chart.Legend.TextStyle = HttpGetField("legendstyle", "value") == "value" ? ltsLeftValue : ltsLeftPercent;
    if (HttpGetField("border", "no") == "no") {
        chart.BorderStyle = TBorderStyle::bsNone;
        chart.BevelOuter = bvNone;
        chart.BevelInner = bvNone;
    }
    if (!SetColorFromField("backcolor", chart.Color) || !SetColorFromField("chartbacktopcolor", chart.BackWall.Color) ||
        !SetColorFromField("chartbackbottomcolor", chart.BottomWall.Color))
        return Refuse(kColorMessage);
    if (const std::optional<std::string> number = OptionalField("number")) return ShowAnswerCount(*number);
    return true;
}

bool THauptseite::Refuse(std::string_view message) {
    SendRefusal(kBadRequest, message);
    return false;
}

bool THauptseite::ShowAnswerCount(const std::string& number) {
    TChartTitle& title = Grafik->Chart1.Title;
    if (!SetColorFromField("numbercolor", title.Font.Color)) return Refuse(kColorMessage);
    title.Text = {std::to_string(answerTotal_) + " " + number};
    title.Visible = true;
    return true;
}

void THauptseite::grafikerstellen() {
    TChartSeries& series = Grafik->SeriesAt(Stil);
    series.SetActive(true);
    const TColor base = HexColor(HttpGetField("color", "")).value_or(PaletteColor(Farbe));
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

}  // namespace tallyhouse::app
