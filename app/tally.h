// The tally of a poll: its distinct answers (categories) with the number of lines that gave
// each, largest count first, equal counts in the order their answers first appeared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TallyEntry {
    std::string label;
    std::int64_t count = 0;

    bool operator==(const TallyEntry&) const = default;
};

using Tally = std::vector<TallyEntry>;

// Counts the lines of a poll file's text. A line ends at CR LF, CR or LF and only its
// first 4096 bytes count; its answer is the text after its last ",". A line without a
// comma repeats the answer of the line before it ("leer" before any answer).
Tally CountAnswers(std::string_view text);

// The built-in samples "testdeutsch" and "testenglish"; nothing for any other name.
std::optional<Tally> SampleTally(std::string_view name);

std::int64_t TotalCount(const Tally& tally);
