#include "app/tally_data.h"

#include <cstdio>

#include "app/quoted_answer.h"
#include "platform/text/display_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

std::string JsonString(std::string_view bytes) {
    std::string text = "\"";
    for (const char c : DisplayTextUtf8(bytes)) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            text += escape;
        } else {
            text += c;
        }
    }
    text += '"';
    return text;
}

std::string CsvField(std::string_view bytes) {
    std::string text = DisplayTextUtf8(bytes);
    return text.find_first_of(",\"\r\n") == std::string::npos ? text : QuotedAnswer(text);
}

}  // namespace

std::string TallyJson(std::string_view poll, std::int64_t total, const Tally& shown) {
    std::string json = "{\"poll\":" + JsonString(poll) + ",\"total\":" + std::to_string(total) + ",\"answers\":[";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (i > 0) json += ',';
        json += "{\"answer\":" + JsonString(shown[i].label) + ",\"count\":" + std::to_string(shown[i].count) + "}";
    }
    json += "]}";
    return json;
}

std::string TallyCsv(std::string_view poll, std::int64_t total, const Tally& shown) {
    std::string csv = "poll,total,answer,count\r\n";
    const std::string start = CsvField(poll) + "," + std::to_string(total) + ",";
    for (const TallyEntry& entry : shown) csv += start + CsvField(entry.label) + "," + std::to_string(entry.count) + "\r\n";
    return csv;
}

std::string TallyData(TViewFormat format, std::string_view poll, std::int64_t total, const Tally& shown) {
    return format == TViewFormat::Csv ? TallyCsv(poll, total, shown) : TallyJson(poll, total, shown);
}

}  // namespace tallyhouse::app
