// What one add request records: every poll field once, each of its values on a line of its own,
// within the limits of one request. The limits are checked before anything is written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/request_refusal.h"
#include "platform/os/exception.h"

namespace tallyhouse::app {

// At most this many poll fields in one request, values of one field, and new poll files
// created by one request.
inline constexpr std::size_t kMaxPollFields = 100;
inline constexpr std::size_t kMaxAnswerValues = 50;
inline constexpr std::size_t kMaxNewPollFiles = 20;

// While a file of this name lies in the program's folder, no new poll is created.
inline constexpr char kKeyFileName[] = "tallyhouse.key";

// An add request that breaks one of the rules; none of its answers is recorded.
class EAnswersRefused : public platform::Exception {
public:
    using platform::Exception::Exception;
};

// The refusal of a request that would create more than kMaxNewPollFiles polls.
EAnswersRefused TooManyNewPolls();
// The refusal of a request naming a closed poll (403).
ERequestRefused ClosedPollRefusal(const std::string& poll);

// The request's poll field names in order, each once: names that the field lookup takes for
// the same field (letter case and surrounding blanks aside) count as the first of them.
// Raises EAnswersRefused for a name that leaves the program's folder, or for more than
// kMaxPollFields of them.
std::vector<std::string> PollFieldsOf(const std::vector<std::string>& fieldNames);

// The answers recorded for a field's values, each on a line of its own: every value once, in
// the order they came, with its control bytes (CR, LF, NUL and the others below 32, and DEL)
// turned into blanks, so no value starts a line of its own; one empty answer when the field has
// no value. Raises EAnswersRefused for more than kMaxAnswerValues values.
std::vector<std::string> AnswerTexts(const std::string& name, const std::vector<std::string>& values);

}  // namespace tallyhouse::app
