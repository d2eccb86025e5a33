// A view's tally as data, the text alternative to its chart: the poll's name, the total of all
// its answers and each shown answer with its count, in the chart's order. Text is UTF-8, read
// from the stored bytes by the one rule for received text (platform/text/display_text.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/tally.h"
#include "app/view_format.h"

namespace tallyhouse::app {

// {"poll":"q.pol","total":3,"answers":[{"answer":"yes","count":2},{"answer":"no","count":1}]}
std::string TallyJson(std::string_view poll, std::int64_t total, const Tally& shown);

// RFC 4180: the header line poll,total,answer,count, then a line for each shown answer, every
// line ending in CR LF; a field holding a comma, double quote, CR or LF is quoted.
std::string TallyCsv(std::string_view poll, std::int64_t total, const Tally& shown);

// The tally in a data format (json or csv).
std::string TallyData(TViewFormat format, std::string_view poll, std::int64_t total, const Tally& shown);

}  // namespace tallyhouse::app
