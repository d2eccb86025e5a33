#include "app/poll_answers.h"

#include <set>

#include "app/pages.h"
#include "app/poll_name.h"
#include "platform/text/ascii_text.h"

namespace tallyhouse::app {

using namespace tallyhouse::platform;

namespace {

std::string WithoutControlBytes(std::string value) {
    for (char& c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return value;
}

}  // namespace

EAnswersRefused TooManyNewPolls() {
    return EAnswersRefused("Answers refused: more than " + std::to_string(kMaxNewPollFiles) +
                           " new poll files in one request");
}

ERequestRefused ClosedPollRefusal(const std::string& poll) {
    return ERequestRefused(std::string(kForbidden), std::string(kClosedMessage), "Answers refused: the poll is closed: " + poll);
}

std::vector<std::string> PollFieldsOf(const std::vector<std::string>& fieldNames) {
    std::vector<std::string> polls;
    std::set<std::string> seen;
    for (const std::string& name : fieldNames) {
        if (!IsPollFieldName(name)) continue;
        if (!IsSafeFileName(name))
            throw EAnswersRefused("Answers refused: the poll field name leaves the program's folder: " + name);
        if (!seen.insert(Trim(UpperCase(name))).second) continue;
        if (polls.size() == kMaxPollFields)
            throw EAnswersRefused("Answers refused: more than " + std::to_string(kMaxPollFields) +
                                  " poll fields in one request");
        polls.push_back(name);
    }
    return polls;
}

std::vector<std::string> AnswerTexts(const std::string& name, const std::vector<std::string>& values) {
    if (values.size() > kMaxAnswerValues)
        throw EAnswersRefused("Answers refused: more than " + std::to_string(kMaxAnswerValues) + " values for " +
                              name);
    if (values.empty()) return {std::string()};
    std::vector<std::string> texts;
    std::set<std::string> seen;
    for (const std::string& value : values) {
        std::string text = WithoutControlBytes(value);
        if (seen.insert(text).second) texts.push_back(std::move(text));
    }
    return texts;
}

}  // namespace tallyhouse::app
