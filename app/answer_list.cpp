#include "app/answer_list.h"

#include <unordered_map>
#include <unordered_set>

#include "platform/text/display_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

std::optional<std::vector<std::string>> ParseAnswerList(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::vector<std::string> listed(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '|') {
            if (listed.size() == kMaxListedAnswers) return std::nullopt;
            listed.emplace_back();
            continue;
        }
        if (text[i] == '\\') {
            if (++i == text.size() || (text[i] != '|' && text[i] != '\\')) return std::nullopt;
        }
        listed.back() += text[i];
    }
    std::unordered_set<std::string> shown;
    for (const std::string& answer : listed)
        if (!shown.insert(DisplayTextUtf8(answer)).second) return std::nullopt;
    return listed;
}

Tally ListedTally(const Tally& tally, const std::vector<std::string>& listed) {
    Tally result;
    result.reserve(listed.size());
    std::unordered_map<std::string, std::size_t> place;
    for (const std::string& answer : listed) {
        place.emplace(DisplayTextUtf8(answer), result.size());
        result.push_back({answer, 0});
    }
    for (const TallyEntry& entry : tally) {
        const auto found = place.find(DisplayTextUtf8(entry.label));
        if (found != place.end()) result[found->second].count += entry.count;
    }
    return result;
}

}  // namespace tallyhouse::app
