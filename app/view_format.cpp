#include "app/view_format.h"

namespace tallyhouse::app {

namespace {

struct TFormatName {
    std::string_view name;
    TViewFormat format;
    std::string_view contentType;
};

constexpr TFormatName kFormats[] = {
    {"gif", TViewFormat::Gif, "image/gif"},
    {"png", TViewFormat::Png, "image/png"},
    {"svg", TViewFormat::Svg, "image/svg+xml"},
    {"json", TViewFormat::Json, "application/json; charset=utf-8"},
    {"csv", TViewFormat::Csv, "text/csv; charset=utf-8"},
};

}  // namespace

std::optional<TViewFormat> ViewFormatOf(const std::vector<std::string>& values) {
    if (values.empty() || (values.size() == 1 && values[0].empty())) return TViewFormat::Gif;
    if (values.size() > 1) return std::nullopt;
    for (const TFormatName& known : kFormats)
        if (known.name == values[0]) return known.format;
    return std::nullopt;
}

bool IsChartFormat(TViewFormat format) {
    return format == TViewFormat::Gif || format == TViewFormat::Png || format == TViewFormat::Svg;
}

std::string_view ContentTypeOf(TViewFormat format) {
    for (const TFormatName& known : kFormats)
        if (known.format == format) return known.contentType;
    return {};
}

}  // namespace tallyhouse::app
