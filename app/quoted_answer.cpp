#include "app/quoted_answer.h"

#include "platform/text/display_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

bool NeedsQuoting(std::string_view answer) {
    return answer.find(',') != std::string_view::npos || answer.starts_with('"');
}

std::string QuotedAnswer(std::string_view answer) {
    std::string field;
    field.reserve(answer.size() + 2);
    field += '"';
    for (const char c : answer) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

std::string_view FittingAnswer(std::string_view answer, std::size_t room) {
    if (room < 2) return {};
    std::size_t used = 2, end = 0;
    for (; end < answer.size(); ++end) {
        const std::size_t size = answer[end] == '"' ? 2 : 1;
        if (used + size > room) break;
        used += size;
    }
    if (end < answer.size() && IsMultiByteUtf8(answer))
        while (end > 0 && (static_cast<unsigned char>(answer[end]) & 0xC0) == 0x80) --end;
    return answer.substr(0, end);
}

namespace {

// The field's text between its quotes, whose double quotes all come in pairs.
std::string Unquoted(std::string_view inner) {
    std::string answer;
    answer.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        answer += inner[i];
        if (inner[i] == '"') ++i;
    }
    return answer;
}

}  // namespace

// Read from the end: inside the field double quotes come in pairs, so the first run of quotes
// of odd length (back from the closing quote) starts with the opening one. One comma must stand
// before it; any other byte there means the line ends in no such field.
std::optional<std::string> QuotedAnswerAtEnd(std::string_view line) {
    if (line.size() < 3 || line.back() != '"') return std::nullopt;
    const std::size_t close = line.size() - 1;
    std::size_t at = close;
    while (at > 0) {
        if (line[at - 1] != '"') {
            --at;
            continue;
        }
        std::size_t runStart = at - 1;
        while (runStart > 0 && line[runStart - 1] == '"') --runStart;
        if ((at - runStart) % 2 == 1) {
            if (runStart == 0 || line[runStart - 1] != ',') return std::nullopt;
            std::string answer = Unquoted(line.substr(runStart + 1, close - runStart - 1));
            if (!NeedsQuoting(answer)) return std::nullopt;
            return answer;
        }
        at = runStart;
    }
    return std::nullopt;
}

}  // namespace tallyhouse::app
