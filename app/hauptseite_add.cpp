// Recording the answers of an add request.
#include <ctime>

#include "app/answer_line.h"
#include "app/hauptseite.h"
#include "app/poll_answers.h"

namespace {

std::string StampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return AnswerTimeStamp(local);
}

}  // namespace

// Each answer gets a line of its own, with its own time stamp and the client's address.
void THauptseite::datenhinzu() {
    Gesperrt = false;
    std::vector<TNewAnswer> answers;
    for (const std::string& name : PollFieldsOf(HttpGetFieldNames()))
        for (std::string& text : AnswerTexts(name, HttpGetFieldValues(name)))
            answers.push_back({name, StampNow(), HttpGetRemoteAddr(), std::move(text)});
    Gesperrt = store_->AddAnswers(answers) == TAddResult::Locked;
}
