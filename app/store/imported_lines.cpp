#include "app/store/imported_lines.h"

#include <unordered_map>

#include "app/tally.h"

namespace tallyhouse::app {

namespace {

struct TLine {
    std::string_view body;
    std::string_view whole;  // with its break
};

// The line starting at pos.
TLine LineAt(std::string_view text, std::size_t pos) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    std::size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    return {text.substr(pos, end - pos), text.substr(pos, next - pos)};
}

class TTallyOfLines {
public:
    void Count(const std::string& label, std::int64_t line) {
        const auto [at, added] = index_.try_emplace(label, tally_.size());
        if (added) tally_.push_back({label, 0, line});
        ++tally_[at->second].count;
    }
    std::vector<TImportedTally> Take() && { return std::move(tally_); }

private:
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<TImportedTally> tally_;
};

}  // namespace

bool EndsWithLineBreak(std::string_view text) { return text.empty() || text.back() == '\r' || text.back() == '\n'; }

std::string ExportedLine(const TAnswerFields& fields, const std::optional<std::string_view>& raw, bool& insideLine) {
    if (raw) {
        insideLine = !EndsWithLineBreak(*raw);
        return std::string(*raw);
    }
    return AppendedBytes(insideLine, AnswerLine(fields.stamp, fields.address, fields.answer));
}

std::vector<TImportedTally> ImportLines(std::string_view text, std::size_t skip, std::int64_t skippedLines,
                                        const TOnImportedLine& onLine) {
    TTallyOfLines tally;
    std::string label = "leer";
    std::int64_t number = skippedLines;
    for (std::size_t pos = 0; pos < text.size();) {
        const TLine line = LineAt(text, pos);
        pos += line.whole.size();
        if (std::optional<std::string> answer = LineAnswer(line.body)) label = std::move(*answer);
        if (pos <= skip) continue;
        tally.Count(label, ++number);
        const TAnswerFields fields = AnswerFieldsOf(line.body);
        const bool written = line.whole == AnswerLine(fields.stamp, fields.address, fields.answer) + "\r\n";
        onLine(fields, written ? std::string_view() : line.whole);
    }
    return std::move(tally).Take();
}

}  // namespace tallyhouse::app
