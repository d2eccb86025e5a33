// The answers a view shows, in the order the request lists them in its "answers" field, for
// example "very good|good|average|poor": "|" separates them, and inside an answer "\|" stands
// for "|" and "\\" for "\". Every listed answer is shown, with a count of 0 when nobody gave it,
// each keeps its place (and so its colour), and answers not listed are left out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tally.h"

namespace tallyhouse::app {

inline constexpr std::size_t kMaxListedAnswers = 1000;

// The listed answers; none when the text makes no sense: empty, more than kMaxListedAnswers
// answers, an answer listed twice (two that read as the same text), or a "\" before anything
// but "|" or "\".
std::optional<std::vector<std::string>> ParseAnswerList(std::string_view text);

// The listed answers in their order, each counting every answer of the tally that reads as the
// same text (so a Latin-1 and a UTF-8 spelling of one answer count together).
Tally ListedTally(const Tally& tally, const std::vector<std::string>& listed);

}  // namespace tallyhouse::app
