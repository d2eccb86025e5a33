// Fuzzes the tally of a poll file against a plain reference count: the same labels with the
// same counts in the same order, whatever bytes the file holds. The reference finds a quoted
// answer the other way round: every comma of the line is tried as the start of a field that
// the writer's own quoting gives back byte for byte, and at most one may be.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/quoted_answer.h"
#include "app/tally.h"

using namespace tallyhouse::app;

namespace {

// The text of a quoted field read from the front, or none when it is not one.
std::optional<std::string> Unquote(std::string_view field) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') return std::nullopt;
    std::string text;
    for (size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] == '"' && field[++i] != '"') return std::nullopt;
        text += field[i];
    }
    return text;
}

std::optional<std::string> ReferenceQuoted(std::string_view line) {
    std::optional<std::string> found;
    for (size_t comma = line.find(','); comma != std::string_view::npos; comma = line.find(',', comma + 1)) {
        const std::string_view field = line.substr(comma + 1);
        const std::optional<std::string> text = Unquote(field);
        if (!text || !NeedsQuoting(*text) || QuotedAnswer(*text) != field) continue;
        if (found) std::abort();  // two readings of one line
        found = text;
    }
    return found;
}

// One line at a time with the simplest possible scan, and a linear search for the label.
Tally ReferenceTally(std::string_view text) {
    Tally tally;
    std::string answer = "leer";
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const std::string_view line = text.substr(pos, end - pos).substr(0, 4096);
        const size_t comma = line.rfind(',');
        if (const std::optional<std::string> quoted = ReferenceQuoted(line))
            answer = *quoted;
        else if (comma != std::string_view::npos)
            answer = std::string(line.substr(comma + 1));
        auto entry = tally.begin();
        while (entry != tally.end() && entry->label != answer) ++entry;
        if (entry == tally.end())
            tally.push_back({answer, 1});
        else
            ++entry->count;
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
    }
    for (size_t pass = 1; pass < tally.size(); ++pass)
        for (size_t i = 0; i + 1 < tally.size(); ++i)
            if (tally[i].count < tally[i + 1].count) std::swap(tally[i], tally[i + 1]);
    return tally;
}

// The text fed in pieces as a file is read: piece lengths taken in turn from the text's own
// bytes (1 to 8), so cuts fall inside lines, between CR and LF and around empty lines.
Tally TallyInPieces(std::string_view text) {
    TallyCounter counter;
    for (size_t at = 0, turn = 0; at < text.size(); ++turn) {
        const size_t length = 1 + static_cast<unsigned char>(text[turn % text.size()]) % 8;
        counter.Feed(text.substr(at, length));
        at += length;
    }
    return std::move(counter).Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Tally reference = ReferenceTally(text);
    if (CountAnswers(text) != reference) std::abort();
    if (TallyInPieces(text) != reference) std::abort();
    return 0;
}
