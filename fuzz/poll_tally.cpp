// Fuzzes the tally of a poll file against a plain reference count: the same labels with the
// same counts in the same order, whatever bytes the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/tally.h"

namespace {

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
        if (comma != std::string_view::npos) answer = std::string(line.substr(comma + 1));
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
