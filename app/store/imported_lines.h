// A poll file's text taken apart for the database: each line a row of its own, and the tally of
// the lines, so that the database counts them as the file is counted and gives the same bytes
// back on export.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/answer_line.h"

namespace tallyhouse::app {

struct TImportedTally {
    std::string label;
    std::int64_t count = 0;
    std::int64_t firstLine = 0;  // 1 for the file's first line
};

// One line for the database: its fields, and the line with its line break (CR LF, CR, LF, or
// none at the end) when AnswerLine of the fields followed by CR LF is not exactly these bytes,
// else empty.
using TOnImportedLine = std::function<void(const TAnswerFields& fields, std::string_view raw)>;

// Hands on the lines of text from its byte skip on (skip is 0 or the end of one of its lines)
// and returns their tally in first-appearance order. Lines end as a poll file's lines do (CR LF,
// CR, LF; no empty line after the last break) and count for the answer the tally gives them,
// the skipped lines read too (a line without a comma counts for the one before). Line numbers
// start at skippedLines + 1.
std::vector<TImportedTally> ImportLines(std::string_view text, std::size_t skip, std::int64_t skippedLines,
                                        const TOnImportedLine& onLine);

// True when the text ends with a line break (or is empty): more lines may follow it as they are.
bool EndsWithLineBreak(std::string_view text);

// The bytes one line adds to a poll's text when it is exported: an imported line (raw) as it
// stood, a line the program wrote (no raw) as it is appended to a poll file, so after a last line
// without a break, CR LF first. insideLine says whether the text so far ends inside a line, and
// is kept up to date.
std::string ExportedLine(const TAnswerFields& fields, const std::optional<std::string_view>& raw, bool& insideLine);

}  // namespace tallyhouse::app
