// Fuzzes what an add request records, from its form data to the bytes added to each poll file:
// every poll field once, one line per value of the field (the first with time stamp and
// address), never more lines than the request's limits allow, whatever the form data holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

#include "app/answer_line.h"
#include "app/poll_answers.h"
#include "app/tally.h"
#include "engine/form/form_fields.h"
#include "platform/ascii_text.h"

namespace {

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
            const std::vector<std::string> values = fields.Values(name);
            const std::string bytes = AppendedBytes(false, AnswerLine(std::tm{}, "127.0.0.1", AnswerText(name, values)));
            const size_t lines = std::max<size_t>(values.size(), 1);
            if (lines > kMaxAnswerValues || LineBreaks(bytes) != lines) std::abort();
            if (static_cast<size_t>(TotalCount(CountAnswers(bytes))) != lines) std::abort();
        }
    } catch (const EAnswersRefused&) {
    }
    return 0;
}
