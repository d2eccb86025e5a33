// Recording the answers of an add request.
#include <algorithm>
#include <ctime>

#include "app/answer_line.h"
#include "app/hauptseite.h"
#include "app/poll_answers.h"
#include "app/poll_file.h"

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

struct PollAnswer {
    std::string name;
    std::vector<std::string> texts;
};

// A line of its own for each answer, each with its own time stamp and the client's address.
std::string AnswerLines(const std::vector<std::string>& texts) {
    std::string lines;
    for (const std::string& text : texts) {
        if (!lines.empty()) lines += "\r\n";
        lines += AnswerLine(LocalNow(), HttpGetRemoteAddr(), text);
    }
    return lines;
}

// Checked before anything is written. A link, folder or device in place of a poll file is
// refused (answers never go through a link); with the key file no poll file is created at all.
void RefuseFilesOfAnswers(const std::vector<PollAnswer>& answers, const std::string& folder) {
    for (const PollAnswer& answer : answers)
        if (PollFileExists(folder + answer.name) && !IsPlainFile(folder + answer.name))
            throw EAnswersRefused("Answers refused: not a plain poll file: " + answer.name);
    if (PollFileExists(folder + "tallyhouse.key")) return;
    const auto created = std::count_if(answers.begin(), answers.end(), [&folder](const PollAnswer& answer) {
        return !PollFileExists(folder + answer.name);
    });
    if (static_cast<size_t>(created) > kMaxNewPollFiles)
        throw EAnswersRefused("Answers refused: more than " + std::to_string(kMaxNewPollFiles) +
                              " new poll files in one request");
}

// The key file forbids creating a poll that the request names: then nothing of the request is
// recorded, so a visitor told "locked" has left no answer behind.
bool KeyForbidsAPoll(const std::vector<PollAnswer>& answers, const std::string& folder) {
    return PollFileExists(folder + "tallyhouse.key") &&
           std::any_of(answers.begin(), answers.end(),
                       [&folder](const PollAnswer& answer) { return !PollFileExists(folder + answer.name); });
}

}  // namespace

void THauptseite::datenhinzu() {
    Gesperrt = false;
    std::vector<PollAnswer> answers;
    for (const std::string& name : PollFieldsOf(HttpGetFieldNames()))
        answers.push_back({name, AnswerTexts(name, HttpGetFieldValues(name))});
    RefuseFilesOfAnswers(answers, Pfad);
    if (KeyForbidsAPoll(answers, Pfad)) {
        Gesperrt = true;
        return;
    }
    for (const PollAnswer& answer : answers) {
        const std::string lines = AnswerLines(answer.texts);
        if (AppendAnswer(Pfad + answer.name, Pfad + "tallyhouse.key", lines) == AppendResult::Refused) {
            Gesperrt = true;
            return;
        }
    }
}
