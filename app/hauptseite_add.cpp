// Recording the answers of an add request, and what the request answers.
#include <algorithm>
#include <ctime>

#include "app/answer_line.h"
#include "app/answer_source.h"
#include "app/hauptseite.h"
#include "app/one_answer.h"
#include "app/pages.h"
#include "app/poll_answers.h"
#include "app/poll_count.h"
#include "app/poll_file.h"
#include "app/request_refusal.h"
#include "app/visitor.h"
#include "engine/client/site_checks.h"
#include "engine/core/engine_log.h"

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

// A line of its own for each answer, each with its own time stamp and the client's address as
// the settings keep it.
std::string AnswerLines(const std::vector<std::string>& texts, const std::string& address) {
    std::string lines;
    for (const std::string& text : texts) {
        if (!lines.empty()) lines += "\r\n";
        lines += AnswerLine(LocalNow(), address, text);
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
    CheckRoomForPolls(folder, static_cast<size_t>(created));
}

// A closed poll among those named: nothing of the request is recorded.
void RefuseClosedPolls(const std::vector<PollAnswer>& answers, const std::string& folder) {
    for (const PollAnswer& answer : answers)
        if (IsClosedPollFile(folder + answer.name))
            throw ERequestRefused(kForbidden, std::string(kClosedMessage), "Answers refused: the poll is closed: " + answer.name);
}

// The key file forbids creating a poll that the request names: then nothing of the request is
// recorded, so a visitor told "locked" has left no answer behind.
bool KeyForbidsAPoll(const std::vector<PollAnswer>& answers, const std::string& folder) {
    return PollFileExists(folder + "tallyhouse.key") &&
           std::any_of(answers.begin(), answers.end(),
                       [&folder](const PollAnswer& answer) { return !PollFileExists(folder + answer.name); });
}

// The request's own host: what the browser asked for, else the server's name.
std::string OwnHost() {
    const std::string host = HostOfHostHeader(HttpGetVariable("HTTP HOST"));
    return host.empty() ? HostOfHostHeader(HttpGetVariable("SERVER NAME")) : host;
}

}  // namespace

void THauptseite::datenhinzu() {
    Gesperrt = false;
    addOutcome_ = {};
    std::vector<PollAnswer> answers;
    for (const std::string& name : PollFieldsOf(HttpGetFieldNames()))
        answers.push_back({name, AnswerTexts(name, HttpGetFieldValues(name))});
    RefuseFilesOfAnswers(answers, Pfad);
    RefuseClosedPolls(answers, Pfad);
    if (KeyForbidsAPoll(answers, Pfad)) {
        Gesperrt = true;
        return;
    }
    addOutcome_.Polls = answers.size();
    if (answers.empty()) return;
    const TOperatorSettings& settings = OperatorSettings();
    const TVisitor visitor = RequestVisitor(settings, Pfad);
    addOutcome_.NewCookie = visitor.NewCookie;
    TOneAnswerRule rule(visitor.Keys, settings.OneAnswerHours, std::time(nullptr));
    for (const PollAnswer& answer : answers) {
        const std::string path = Pfad + answer.name;
        const TAppendGuard guard{[&] { return rule.MayAnswer(path); }, [&] { rule.Answered(); }};
        const AppendResult result =
            AppendAnswer(path, Pfad + "tallyhouse.key", AnswerLines(answer.texts, visitor.StoredAddress), guard);
        if (result == AppendResult::Withheld) addOutcome_.Withheld.push_back(answer.name);
        if (result == AppendResult::Refused) {
            Gesperrt = true;
            return;
        }
    }
}

// Nothing recorded is never called saved: a refused poll, no poll at all, or an answer given
// before each get a page that says so, with its status.
void THauptseite::AnswerAdd() {
    RefuseAnswerSource(OperatorSettings());
    datenhinzu();
    if (Gesperrt) {
        SendRefusal(kForbidden, kLockedMessage);
        return;
    }
    if (addOutcome_.Polls == 0) {
        SendRefusal(kBadRequest, kNoPollMessage);
        return;
    }
    const std::string backurl = FollowedBackurl();
    const bool repeated = !addOutcome_.Withheld.empty();
    if (repeated) HttpSetStatus("409 Conflict");
    if (!addOutcome_.NewCookie.empty()) HttpWriteHeader("Set-Cookie", addOutcome_.NewCookie);
    if (repeated) {
        const bool othersSaved = addOutcome_.Withheld.size() < addOutcome_.Polls;
        SendMessage(std::string(kRepeatMessage) + (othersSaved ? std::string(kOthersSavedMessage) : "") +
                    (backurl.empty() ? "" : OnwardLink(backurl)));
    } else if (!backurl.empty()) {
        HttpWrite(RedirectPage(backurl));
    } else {
        SendMessage(kSavedMessage);
    }
}

// The visitor is sent on only within the site and the hosts the operator named: the program
// must not lend its address to a link leading anywhere.
std::string THauptseite::FollowedBackurl() {
    const std::string backurl = HttpGetField("backurl", "");
    if (backurl.empty() || RedirectAllowed(backurl, OwnHost(), OperatorSettings().RedirectHosts)) return backurl;
    LogEngineMessage("backurl not followed, it leads off the site (TALLYHOUSE_REDIRECT_HOSTS lists further hosts): " +
                     backurl.substr(0, 200));
    return "";
}
