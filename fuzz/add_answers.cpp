// Fuzzes what an add request records, from its form data to the bytes added to each poll file:
// every poll field once, one answer line of its own for each distinct value, never more lines
// than the request's limits allow, and each answer read back by the tally as it was written
// (whole when its line fits the bytes of a line that are read, else the start that was kept).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

#include "app/answer_line.h"
#include "app/poll_answers.h"
#include "app/quoted_answer.h"
#include "app/tally.h"
#include "engine/form/form_fields.h"
#include "platform/text/ascii_text.h"

using namespace tallyhouse::platform;
using namespace tallyhouse::engine;
using namespace tallyhouse::app;

namespace {

const char kAddress[] = "127.0.0.1";

size_t LineBreaks(const std::string& bytes) {
    size_t breaks = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++breaks;
            ++i;
        } else if (bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\0') {
            std::abort();  // a value's own control byte reached the file
        }
    }
    return breaks;
}

void CheckReadBack(const std::string& text) {
    const std::string line = AnswerLine(AnswerTimeStamp(std::tm{}), kAddress, text);
    const Tally read = CountAnswers(AppendedBytes(false, line));
    if (read.size() != 1 || read[0].count != 1) std::abort();
    const std::string& answer = read[0].label;
    const std::string prefix = AnswerTimeStamp(std::tm{}) + "," + kAddress + ",";
    const bool whole = line == prefix + (NeedsQuoting(text) ? QuotedAnswer(text) : text) && line.size() <= kAnswerLineBytes;
    if (whole ? answer != text : !text.starts_with(answer)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string form(reinterpret_cast<const char*>(data), size);
    try {
        const TFormFields fields(form);
        const std::vector<std::string> polls = PollFieldsOf(fields.Names());
        if (polls.size() > kMaxPollFields) std::abort();
        std::set<std::string> keys;
        for (const std::string& name : polls) {
            if (!keys.insert(Trim(UpperCase(name))).second) std::abort();  // a field recorded twice
            const std::vector<std::string> texts = AnswerTexts(name, fields.Values(name));
            if (texts.size() > kMaxAnswerValues || std::set<std::string>(texts.begin(), texts.end()).size() != texts.size())
                std::abort();
            std::string lines;
            for (const std::string& text : texts) {
                lines += AppendedBytes(false, AnswerLine(AnswerTimeStamp(std::tm{}), kAddress, text));
                CheckReadBack(text);
            }
            if (LineBreaks(lines) != texts.size()) std::abort();
            if (static_cast<size_t>(TotalCount(CountAnswers(lines))) != texts.size()) std::abort();
        }
    } catch (const EAnswersRefused&) {
    }
    return 0;
}
