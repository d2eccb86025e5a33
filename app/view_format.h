// What a view answers with, chosen by its "format" field: the chart as a GIF (the default), a PNG
// of the same pixels or an SVG document, or the tally itself as data. Each format has its content type; a chart format draws the chart,
// a data format writes the tally.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyhouse::app {

enum class TViewFormat { Gif, Png, Svg, Json, Csv };

// The format the values of a request's "format" field ask for: none sent, an empty one or "gif"
// the chart as a GIF; "png" or "svg" the chart as such; "json" or "csv" the tally. None for any other value, or for more than one.
std::optional<TViewFormat> ViewFormatOf(const std::vector<std::string>& values);

bool IsChartFormat(TViewFormat format);
std::string_view ContentTypeOf(TViewFormat format);

}  // namespace tallyhouse::app
