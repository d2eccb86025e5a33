// The tally of a poll: its distinct answers (categories) with the number of lines that gave
// each, largest count first, equal counts in the order their answers first appeared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyhouse::app {

struct TallyEntry {
    std::string label;
    std::int64_t count = 0;

    bool operator==(const TallyEntry&) const = default;
};

using Tally = std::vector<TallyEntry>;

// Counts the lines of a poll file's text. A line ends at CR LF, CR or LF and only its
// first 4096 bytes count. A line that ends in a comma and a quoted answer as the program writes
// one (app/quoted_answer.h) counts that answer; any other line's answer is the text after its
// last ",", and a line without a comma repeats the answer of the line before it ("leer" before
// any answer).
Tally CountAnswers(std::string_view text);

// The answer one line counts for, by the rules above; none for a line without a comma, which
// counts for the answer of the line before it.
std::optional<std::string> LineAnswer(std::string_view line);

// Puts a list of answers in first-appearance order into tally order: largest count first,
// equal counts keeping their order.
void OrderByCount(Tally& tally);

// The same count over a text that comes in pieces, cut anywhere (inside a line, between CR and
// LF): the pieces need to live only for their Feed.
class TallyCounter {
public:
    TallyCounter();
    ~TallyCounter();
    TallyCounter(const TallyCounter&) = delete;
    TallyCounter& operator=(const TallyCounter&) = delete;

    void Feed(std::string_view piece);
    Tally Finish() &&;

private:
    class Counts;
    void CountLine(std::string_view line);
    void Continue(std::string_view bytes);

    std::unique_ptr<Counts> counts_;
    std::string line_;           // the first bytes of a line that the last piece left unfinished
    bool inLine_ = false;        // some bytes of that line came
    bool afterCr_ = false;       // the last piece ended with CR: an LF first in the next belongs to it
};

// The built-in samples "testdeutsch" and "testenglish"; nothing for any other name.
std::optional<Tally> SampleTally(std::string_view name);

std::int64_t TotalCount(const Tally& tally);

}  // namespace tallyhouse::app
