// Recording the answers of an add request, and what the request answers.
#include <ctime>

#include "app/answer_line.h"
#include "app/answer_source.h"
#include "app/hauptseite.h"
#include "app/pages.h"
#include "app/poll_answers.h"
#include "app/visitor.h"
#include "engine/client/site_checks.h"
#include "engine/core/engine_log.h"

namespace tallyhouse::app {

using namespace tallyhouse::engine;

namespace {

std::string StampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return AnswerTimeStamp(local);
}

// The request's own host: what the browser asked for, else the server's name.
std::string OwnHost() {
    const std::string host = HostOfHostHeader(HttpGetVariable("HTTP HOST"));
    return host.empty() ? HostOfHostHeader(HttpGetVariable("SERVER NAME")) : host;
}

}  // namespace

// Each answer gets a line of its own, with its own time stamp and the client's address as the
// settings keep it; the store applies the key file, the limits and the one-answer rule.
void THauptseite::datenhinzu() {
    Gesperrt = false;
    addOutcome_ = {};
    const std::vector<std::string> polls = PollFieldsOf(HttpGetFieldNames());
    addOutcome_.Polls = polls.size();
    if (polls.empty()) return;
    const TOperatorSettings& settings = OperatorSettings();
    const TVisitor visitor = RequestVisitor(settings, [this]() -> const TInstallationSecret& { return store_->Secret(); });
    TAddRequest request{{}, visitor.Keys, settings.OneAnswerHours, std::time(nullptr)};
    for (const std::string& name : polls)
        for (std::string& text : AnswerTexts(name, HttpGetFieldValues(name)))
            request.answers.push_back({name, StampNow(), visitor.StoredAddress, std::move(text)});
    TAddResult result = store_->AddAnswers(request);
    Gesperrt = result.locked;
    if (Gesperrt) return;
    addOutcome_.NewCookie = visitor.NewCookie;
    addOutcome_.Withheld = std::move(result.withheld);
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

}  // namespace tallyhouse::app
