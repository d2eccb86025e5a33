// Fuzzes the "answers" list of a view: whatever the text, a list that is taken holds 1 to 1000
// answers that all read differently, writing them back with their escapes gives the same list,
// and the listed tally shows exactly those answers in that order, counting no answer twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/answer_list.h"
#include "app/tally.h"

using namespace tallyhouse::app;

namespace {

std::string Escaped(const std::vector<std::string>& listed) {
    std::string text;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (i > 0) text += '|';
        for (const char c : listed[i]) {
            if (c == '|' || c == '\\') text += '\\';
            text += c;
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::vector<std::string>> listed = ParseAnswerList(text);
    if (!listed) return 0;
    if (listed->empty() || listed->size() > kMaxListedAnswers) std::abort();
    if (ParseAnswerList(Escaped(*listed)) != listed) std::abort();
    // The text's own lines as a poll file: its answers, some listed and some not.
    const Tally tally = CountAnswers(text);
    const Tally shown = ListedTally(tally, *listed);
    if (shown.size() != listed->size()) std::abort();
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i].label != (*listed)[i] || shown[i].count < 0) std::abort();
    if (TotalCount(shown) > TotalCount(tally)) std::abort();
    return 0;
}
