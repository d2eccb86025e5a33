// How an answer holding a comma is kept whole in a poll file: written as one quoted field at the
// end of its line (in double quotes, its own double quotes doubled), and read back only from a
// line that ends in exactly such a field. Every other answer is written as it came, and every
// other line is read as it always was (the text after its last comma).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tallyhouse::app {

// A poll file's line is read up to this many bytes.
inline constexpr std::size_t kAnswerLineBytes = 4096;

// The answer is written quoted: it holds a comma or starts with a double quote.
bool NeedsQuoting(std::string_view answer);

// The answer as one quoted field.
std::string QuotedAnswer(std::string_view answer);

// The longest start of the answer whose quoted field takes at most room bytes, cut between
// characters (a UTF-8 answer between its sequences).
std::string_view FittingAnswer(std::string_view answer, std::size_t room);

// The answer of a line that ends in a comma and then exactly the quoted field of an answer that
// needs quoting; none for any other line.
std::optional<std::string> QuotedAnswerAtEnd(std::string_view line);

}  // namespace tallyhouse::app
